// Saving the report and choosing the files.
#include "frm_main.h"

#include "frequency_report.h"
#include "save_flow.h"

#include <QRadioButton>

#include <QLineEdit>

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
    // The report copies what the window shows now, not the counts behind it.
    ReportContent content;
    content.sourceFile = txtSourceFile->text();
    content.totalChars = lblTotalChars->Caption();
    content.selectedChars = lblSelectedChars->Caption();
    content.subsetOption = -1;
    for (std::int16_t i = 2; i >= 0; --i)
        if (optSubset(i).isChecked())
            content.subsetOption = i;
    for (std::int16_t i = 0; i <= 255; ++i) {
        content.code[i] = lblASCII(i).Caption();
        content.hex[i] = lblASCIIHex(i).Caption();
        content.count[i] = lblASCIICount(i).Caption();
        content.frequency[i] = lblASCIIFreq(i).Caption();
    }
    saveFrequencies(this, services_.messageBox, state.totalChars, txtDestinationFile->text(),
                    content);
}
