#pragma once

#include "machine_formats.h"
#include "report_file.h"
#include "subset_statistics.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// What a script asks for: the report of one source, or a machine format of
// several.
struct ReportRequest {
    QByteArray source;   // as given, the file system's bytes; "-" standard input
    QString destination; // "-" for standard output
    Subset subset = Subset::AllCharacters;
};

// The exit statuses of a report made without the window.
enum ReportStatus {
    ReportWritten = 0,
    ReportFailed = 1,       // nothing written, or a source not counted
    ReportOfFirstBytes = 3, // written, of the first kSourceLimit bytes only
};

// Writes the very bytes that "Save Frequencies" writes after "Calculate
// Frequencies" with request.source in the source box and request.subset
// selected, without a window and without questions: an existing destination
// is replaced and an empty dataset saved, as shell tools do. The "File:"
// line holds the source's bytes as given. The source is counted as named
// (see countCommandLineSource); where it cannot be, say gets its name and
// the reason. The window's other messages go to say, one line each. The
// status: ReportWritten; ReportOfFirstBytes at the size limit, after its
// message; ReportFailed with nothing written where the source cannot be
// counted or the destination written. A destination file is written as the
// window writes one (see writeWholeFile), and SIGINT, SIGTERM and SIGHUP
// wait until it is complete or rolled back; standard output is written as it
// stands, so that a shell's redirection is kept.
int writeReportWithoutWindow(const ReportRequest& request,
                             const std::function<void(const QString& line)>& say,
                             const WriteCall& write = {});

struct FormatRequest {
    MachineFormat format = MachineFormat::Json;
    QList<QByteArray> sources; // as ReportRequest::source
    QString destination;       // "-" for standard output
    Subset subset = Subset::AllCharacters;
};

// Counts each source in turn, whole, whatever its size (for JSON with the
// six figures), and writes it in the format (see formatSource), the header
// once before the first. A source that cannot be counted gets its line in say and
// the others are still written. Standard output gets each source as soon as
// it is counted; a destination file gets them all at the end, written as
// writeReportWithoutWindow writes one, and nothing where no source could be
// counted. The status: ReportWritten, or ReportFailed where a source or the
// write failed.
int writeFormatWithoutWindow(const FormatRequest& request,
                             const std::function<void(const QString& line)>& say,
                             const WriteCall& write = {});
