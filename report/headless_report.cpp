#include "headless_report.h"

#include "file_descriptor.h"
#include "frequency_report.h"
#include "frequency_separator.h"
#include "messages.h"
#include "save_flow.h"
#include "save_messages.h"
#include "scope_exit.h"
#include "source_file.h"
#include "text_forms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace {

QString captionOf(std::int64_t count)
{
    return QString::fromStdString(countText(count));
}

// The snapshot that the window's table, totals and boxes would give after
// calculating: the same text forms, the same rule for which cells are
// filled, the same locale's decimal separator.
ReportSnapshot snapshotOfCount(const ReportRequest& request, FrequencyState& state)
{
    const SubsetStatistics stats = computeSubsetStatistics(state, request.subset);
    const std::string decimalPoint = frequencySeparator();
    ReportSnapshot snapshot;
    snapshot.sourceFile = request.source;
    snapshot.totalChars = captionOf(state.totalChars);
    snapshot.selectedChars = captionOf(stats.selectedChars);
    snapshot.subsetOption = static_cast<int>(request.subset);
    for (int i = 0; i <= 255; ++i) {
        ReportRow& row = snapshot.rows[std::size_t(i)];
        row.code = QString::number(i);
        row.hex = QString::fromStdString(hexText(i));
        if (!isFilled(state, request.subset, i))
            continue;
        row.count = captionOf(state.charCounts[std::size_t(i)]);
        row.frequency =
            QString::fromStdString(frequencyText(state.charFreqs[std::size_t(i)], decimalPoint));
    }
    return snapshot;
}

// A message box's text as one line: its paragraphs joined by ": ".
QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\n\n"), QStringLiteral(": ")).replace(u'\n', u' ');
}

std::optional<WriteFailure> writeDestination(const QString& destination, const QByteArray& bytes,
                                             const WriteCall& write)
{
    if (destination == QLatin1String("-")) {
        if (writeAll(STDOUT_FILENO, bytes, write))
            return std::nullopt;
        return WriteFailure::system(errno);
    }
    // Ctrl+C, a hang-up or a terminate signal during the write ends the
    // program only once the file is complete or rolled back: never with a
    // temporary file beside it.
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&ending, signal);
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &ending, &before);
    const ScopeExit release([&before] { pthread_sigmask(SIG_SETMASK, &before, nullptr); });
    return writeWholeFile(destination, bytes, write);
}

QString shownDestination(const QString& destination)
{
    if (destination == QLatin1String("-"))
        return QStringLiteral("standard output");
    return QDir::toNativeSeparators(QFileInfo(destination).absoluteFilePath());
}

} // namespace

int writeReportWithoutWindow(const ReportRequest& request,
                             const std::function<void(const QString& line)>& say,
                             const WriteCall& write)
{
    if (request.destination.isEmpty()) {
        say(kNoDestinationMessage);
        return 1;
    }
    FrequencyState state;
    classifyCharacters(state);
    const ReadOutcome outcome = readSourceFile(QFile::encodeName(request.source).toStdString(), state);
    switch (outcome.status) {
    case ReadStatus::Stopped: // nothing asks this count to stop
    case ReadStatus::Missing:
        say(QString::fromLatin1(kMissingSourceMessage));
        return 1;
    case ReadStatus::ReadFailed:
    case ReadStatus::Changed:
        say(oneLine(QString::fromLatin1(kReadFailedMessage)
                        .arg(request.source, qt_error_string(outcome.error))));
        return 1;
    case ReadStatus::LimitReached:
        say(QString::fromLatin1(kSourceLimitMessage));
        break;
    case ReadStatus::Counted:
        break;
    }
    const QByteArray bytes = formatReport(snapshotOfCount(request, state));
    if (const auto failure = writeDestination(request.destination, bytes, write)) {
        say(oneLine(kWriteFailedMessage.arg(shownDestination(request.destination), writeFailureReason(*failure))));
        return 1;
    }
    return 0;
}
