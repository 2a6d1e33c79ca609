#include "common_dialog.h"

#include <QFileDialog>
#include <QSettings>

void keepNoDialogHistory()
{
    // Settings files under a path that cannot be a folder can be neither
    // found nor created.
    for (const auto scope : {QSettings::UserScope, QSettings::SystemScope})
        QSettings::setPath(QSettings::NativeFormat, scope, QStringLiteral("/dev/null"));
}

std::optional<QString> QtOpenFilePrompt::askForFile(QWidget* owner, const QString& title,
                                                    const QString& lastFileName)
{
    QFileDialog dialog(owner, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!lastFileName.isEmpty())
        dialog.selectFile(lastFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void CommonDialog::ShowOpen()
{
    if (const auto chosen = prompt_->askForFile(owner_, DialogTitle, FileName))
        FileName = *chosen;
}
