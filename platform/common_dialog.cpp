#include "common_dialog.h"

#include <QFileDialog>

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
