// Saving the report and choosing the files.
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
