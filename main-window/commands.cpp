// The strip's other commands: saving the report, choosing files, help.
#include "frm_main.h"

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

void frmMain::btnSaveFrequencies_Click() {}

void frmMain::btnHelp_Click() {}
