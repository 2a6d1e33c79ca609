// Saving the report and choosing the files.
#include "frm_main.h"

#include "save_flow.h"

#include <QLineEdit>
#include <QRadioButton>

namespace {

std::optional<int> firstSelectedOption(const frmMain& window)
{
    for (std::int16_t i = 0; i <= 2; ++i)
        if (window.optSubset(i).isChecked())
            return i;
    return std::nullopt;
}

// The report copies what the window shows now, not the counts behind it: a
// source or option changed since the calculation shows as changed.
ReportSnapshot snapshotOf(const frmMain& window)
{
    ReportSnapshot snapshot;
    snapshot.sourceFile = window.txtSourceFile->text();
    snapshot.totalChars = window.lblTotalChars->Caption();
    snapshot.selectedChars = window.lblSelectedChars->Caption();
    snapshot.subsetOption = firstSelectedOption(window);
    const FrequencyTableModel& table = window.tableModel;
    for (int i = 0; i <= 255; ++i)
        snapshot.rows[std::size_t(i)] = {table.text(i, FrequencyTableModel::Code),
                                         table.text(i, FrequencyTableModel::Hex),
                                         table.text(i, FrequencyTableModel::Count),
                                         table.text(i, FrequencyTableModel::Frequency)};
    return snapshot;
}

} // namespace

void frmMain::btnSelectSource_Click()
{
    cdbSourceFile.DialogTitle = QStringLiteral("Source File");
    cdbSourceFile.ShowOpen();
    txtSourceFile->setText(cdbSourceFile.FileName);
}

void frmMain::btnSelectDestination_Click()
{
    cdbDestinationFile.DialogTitle = QStringLiteral("Destination File");
    cdbDestinationFile.ShowOpen();
    txtDestinationFile->setText(cdbDestinationFile.FileName);
}

void frmMain::btnSaveFrequencies_Click()
{
    busy_ = Busy::Saving;
    closeAfterSave_ = false;
    saveFrequencies(this, services_.messageBox, state.totalChars, txtDestinationFile->text(),
                    [this] { return snapshotOf(*this); }, services_.writeReport);
    busy_ = Busy::No;
    if (closeAfterSave_)
        close();
}
