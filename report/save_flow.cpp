#include "save_flow.h"

#include "frequency_report.h"
#include "message_box.h"

#include <QFileInfo>
#include <QSaveFile>

std::optional<QString> writeWholeFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("Is a directory");
    QSaveFile file(info.isSymLink() ? info.symLinkTarget() : path);
    // Where the folder does not let us add a file beside it, an existing
    // writable file is written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

void saveFrequencies(QWidget* owner, MessageBox& messageBox, std::int32_t totalChars,
                     const QString& destination, const ReportContent& content)
{
    using Buttons = MessageBox::Buttons;
    if (totalChars == 0 &&
        messageBox.MsgBox(owner, kEmptyDatasetQuestion, Buttons::YesNo) == MessageBox::Answer::No)
        return;
    if (destination.isEmpty() || destination == kDestinationPlaceholder) {
        messageBox.MsgBox(owner, kNoDestinationMessage, Buttons::Ok);
        return;
    }
    if (QFileInfo(destination).isFile() &&
        messageBox.MsgBox(owner, kOverwriteQuestion, Buttons::YesNo) == MessageBox::Answer::No)
        return;
    if (const auto failure = writeWholeFile(destination, formatReport(content)))
        messageBox.MsgBox(owner,
                          QStringLiteral("The report could not be written to %1:  %2.")
                              .arg(destination, *failure),
                          Buttons::Ok);
}
