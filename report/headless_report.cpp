#include "headless_report.h"

#include "command_line_source.h"
#include "file_descriptor.h"
#include "frequency_report.h"
#include "frequency_separator.h"
#include "messages.h"
#include "name_bytes.h"
#include "save_flow.h"
#include "save_messages.h"
#include "scope_exit.h"
#include "text_forms.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace {

QString captionOf(std::int64_t count)
{
    return QString::fromStdString(countText(count));
}

// The counting state that the window would hold after the same count; the
// limit keeps every count within its 32 bits.
FrequencyState stateOfCount(const SourceCount& count)
{
    FrequencyState state;
    classifyCharacters(state);
    state.totalChars = std::int32_t(count.total);
    for (int v = 0; v < 256; ++v)
        state.charCounts[std::size_t(v)] = std::int32_t(count.counts[std::size_t(v)]);
    return state;
}

// The snapshot that the window's table, totals and boxes would give after
// calculating: the same text forms, the same rule for which cells are
// filled, the same locale's decimal separator.
ReportSnapshot snapshotOfCount(const ReportRequest& request, FrequencyState& state)
{
    const SubsetStatistics stats = computeSubsetStatistics(state, request.subset);
    const std::string decimalPoint = frequencySeparator();
    ReportSnapshot snapshot;
    snapshot.sourceFile = textOfBytes(request.source);
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

bool toStandardOutput(const QString& destination)
{
    return destination == QLatin1String("-");
}

std::optional<WriteFailure> writeToStandardOutput(const QByteArray& bytes, const WriteCall& write)
{
    if (writeAll(STDOUT_FILENO, bytes, write))
        return std::nullopt;
    return WriteFailure::system(errno);
}

std::optional<WriteFailure> writeDestination(const QString& destination, const QByteArray& bytes,
                                             const WriteCall& write)
{
    if (toStandardOutput(destination))
        return writeToStandardOutput(bytes, write);
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
    if (toStandardOutput(destination))
        return QStringLiteral("standard output");
    return QDir::toNativeSeparators(QFileInfo(destination).absoluteFilePath());
}

QString writeFailureLine(const QString& destination, const WriteFailure& failure)
{
    return oneLine(kWriteFailedMessage.arg(shownDestination(destination), writeFailureReason(failure)));
}

} // namespace

int writeReportWithoutWindow(const ReportRequest& request,
                             const std::function<void(const QString& line)>& say,
                             const WriteCall& write)
{
    if (request.destination.isEmpty()) {
        say(kNoDestinationMessage);
        return ReportFailed;
    }
    SourceCount count;
    ReadOptions options;
    options.limit = kSourceLimit;
    const ReadOutcome outcome = countCommandLineSource(request.source, count, options);
    int status = ReportWritten;
    switch (outcome.status) {
    case ReadStatus::Counted:
        break;
    case ReadStatus::LimitReached:
        say(QString::fromLatin1(kSourceLimitMessage));
        status = ReportOfFirstBytes;
        break;
    default:
        say(sourceFailureLine(request.source, outcome));
        return ReportFailed;
    }
    FrequencyState state = stateOfCount(count);
    const QByteArray bytes = formatReport(snapshotOfCount(request, state));
    if (const auto failure = writeDestination(request.destination, bytes, write)) {
        say(writeFailureLine(request.destination, *failure));
        return ReportFailed;
    }
    return status;
}

int writeFormatWithoutWindow(const FormatRequest& request,
                             const std::function<void(const QString& line)>& say,
                             const WriteCall& write)
{
    if (request.destination.isEmpty()) {
        say(kNoDestinationMessage);
        return ReportFailed;
    }
    const bool streaming = toStandardOutput(request.destination);
    QByteArray whole; // for a destination file
    bool anyCounted = false;
    int status = ReportWritten;
    for (const QByteArray& source : request.sources) {
        SourceResult result;
        result.name = source;
        ByteStatistics statistics;
        ReadOptions options;
        options.limit = -1;
        // Only JSON gives the figures; the rows need the counts alone.
        if (request.format == MachineFormat::Json) {
            options.observer = &statistics;
            // An observer sees a mapped stretch through a copy the engine
            // makes: reading cached stretches into a buffer instead costs
            // less than mapping them and copying.
            options.mapCached = false;
        }
        SourceCount count;
        const ReadOutcome outcome = countCommandLineSource(source, count, options);
        if (outcome.status != ReadStatus::Counted) {
            say(sourceFailureLine(source, outcome));
            status = ReportFailed;
            continue;
        }
        result.counts = count.counts;
        result.total = count.total;
        result.figures = statistics.figures(count.counts);
        QByteArray part = anyCounted ? QByteArray() : formatHeader(request.format);
        part += formatSource(request.format, result, request.subset);
        anyCounted = true;
        if (!streaming) {
            whole += part;
        } else if (const auto failure = writeToStandardOutput(part, write)) {
            say(writeFailureLine(request.destination, *failure));
            return ReportFailed;
        }
    }
    if (!streaming && anyCounted) {
        if (const auto failure = writeDestination(request.destination, whole, write)) {
            say(writeFailureLine(request.destination, *failure));
            return ReportFailed;
        }
    }
    return status;
}
