#include "save_flow.h"

#include "message_box.h"
#include "report_file.h"
#include "save_messages.h"
#include "termination_signals.h"
#include "wait_without_input.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace {

using Answer = MessageBox::Answer;
using Buttons = MessageBox::Buttons;

bool namesNoFile(const QString& destination)
{
    return destination.isEmpty() || destination == kDestinationPrompt;
}

// A disk may take long over the fsync: the window repaints meanwhile.
std::optional<WriteFailure> writeWithoutFreezing(const QString& destination, const QByteArray& bytes,
                                                 const ReportWriter& write)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<WriteFailure> failure;
    runWithoutInput([&] {
        const HoldTermination finishFirst;
        failure = write(destination, bytes);
    });
    QApplication::restoreOverrideCursor();
    return failure;
}

// What of the old content a write in place could not put back.
QString lossReason(const WriteFailure::Loss& loss)
{
    QStringList parts;
    if (loss.from < loss.to)
        parts << kOldBytesLostReason.arg(loss.from + 1).arg(loss.to).arg(loss.oldSize);
    if (loss.sizeNow > loss.oldSize)
        parts << kBytesAddedReason.arg(loss.sizeNow - loss.oldSize);
    return kOldContentNotBackReason + parts.join(kAndReason);
}

} // namespace

QString writeFailureReason(const WriteFailure& failure)
{
    switch (failure.kind) {
    case WriteFailure::Kind::BlankName: return kBlankNameReason;
    case WriteFailure::Kind::NoReader: return kNoReaderReason;
    case WriteFailure::Kind::Disk: return kDiskNotFileReason.arg(failure.file);
    case WriteFailure::Kind::PathChanged: return kPathChangedReason.arg(QDir::toNativeSeparators(failure.file));
    case WriteFailure::Kind::System: break;
    }
    QString reason = qt_error_string(failure.error);
    if (!failure.unfinishedFile.isEmpty())
        reason += kUnfinishedFileLeftReason.arg(failure.unfinishedFile);
    if (failure.loss)
        reason += lossReason(*failure.loss);
    return reason;
}

QString writeFailureMessage(const QString& destination, const WriteFailure& failure)
{
    const QString path = QDir::toNativeSeparators(QFileInfo(destination).absoluteFilePath());
    return kWriteFailedMessage.arg(path, writeFailureReason(failure));
}

std::optional<WriteFailure> writeReportFile(const QString& path, const QByteArray& bytes)
{
    return writeWholeFile(path, bytes);
}

void saveFrequencies(QWidget* owner, MessageBox& messageBox, std::int32_t totalChars,
                     const QString& destination, const std::function<ReportSnapshot()>& snapshot,
                     const ReportWriter& write)
{
    if (totalChars == 0 && messageBox.MsgBox(owner, kEmptyDatasetQuestion, Buttons::YesNo) == Answer::No)
        return;
    if (namesNoFile(destination)) {
        messageBox.MsgBox(owner, kNoDestinationMessage, Buttons::Ok);
        return;
    }
    // Every regular file counts, dot-files too: none may be replaced unasked.
    if (QFileInfo(destination).isFile() &&
        messageBox.MsgBox(owner, kOverwriteQuestion, Buttons::YesNo) == Answer::No)
        return;
    if (const auto failure = writeWithoutFreezing(destination, formatReport(snapshot()), write))
        messageBox.MsgBox(owner, writeFailureMessage(destination, *failure), Buttons::Ok);
}
