#pragma once

#include "report_file.h"
#include "subset_statistics.h"

#include <QString>
#include <functional>

// Where the report goes and what it is of, as a script asks for it.
struct ReportRequest {
    QString source;      // as typed in the source box
    QString destination; // "-" for standard output
    Subset subset = Subset::AllCharacters;
};

// Writes the very bytes that "Save Frequencies" writes after "Calculate
// Frequencies" with request.source in the source box and request.subset
// selected, without a window and without questions: an existing destination
// is replaced and an empty dataset saved, as shell tools do. The window's
// messages go to say, one line each. The exit status: 0 when written (also
// at the size limit), 1 with nothing written when the source is missing or
// unreadable or the destination cannot be written. A destination file is
// written as the window writes one (see writeWholeFile), and SIGINT, SIGTERM
// and SIGHUP wait until it is complete or rolled back; standard output is
// written as it stands, so that a shell's redirection is kept.
int writeReportWithoutWindow(const ReportRequest& request,
                             const std::function<void(const QString& line)>& say,
                             const WriteCall& write = {});
