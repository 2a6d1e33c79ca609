#pragma once

#include "frequency_report.h"
#include "write_failure.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class MessageBox;
class QWidget;

// How the report's bytes reach the file: writeWholeFile in the program (see
// there for what it promises); tests put a stand-in here to hold a save open.
// Nothing when it worked, else what failed.
using ReportWriter = std::function<std::optional<WriteFailure>(const QString& path, const QByteArray& bytes)>;
std::optional<WriteFailure> writeReportFile(const QString& path, const QByteArray& bytes);

// Why the report could not be written, as the user reads it: in the
// system's words where the system refused.
QString writeFailureReason(const WriteFailure& failure);
// The message for a report that could not be written to destination: its
// full path and the reason.
QString writeFailureMessage(const QString& destination, const WriteFailure& failure);

// "Save Frequencies": writes the report of snapshot to destination after the
// flow's checks, each answered through messageBox over owner:
//  1. totalChars 0: asks whether to save an empty dataset; No ends the flow;
//  2. destination empty or exactly the box's initial text (no trimming, case
//     counts): says so and ends the flow;
//  3. an existing regular file there, hidden or not, reached through a link
//     or not: asks before overwriting; No ends the flow.
// Only then is snapshot taken and the file written by write, on a thread of
// its own: windows repaint meanwhile, user input is discarded, and SIGTERM,
// SIGINT and SIGHUP wait until the write has finished or been rolled back. A
// failed write is reported with the full path and the reason; success is
// silent. Changes nothing but the file.
void saveFrequencies(QWidget* owner, MessageBox& messageBox, std::int32_t totalChars,
                     const QString& destination, const std::function<ReportSnapshot()>& snapshot,
                     const ReportWriter& write = writeReportFile);
