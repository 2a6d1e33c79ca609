#pragma once

#include "machine_formats.h"
#include "subset_statistics.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// What the program was asked to do on its command line. Without arguments
// it opens its window, as it always has.
struct CommandLine {
    enum class Action {
        OpenWindow,  // with source, if given, calculated at once
        ShowHelp,
        ShowVersion,
        WriteReport, // the report of sources.front() to destination, no window
        WriteFormat, // format of every source to destination, no window
        Misused,     // error says what was wrong
    };
    Action action = Action::OpenWindow;
    // Names as given, the file system's bytes: relative paths stay relative,
    // and a name that is not UTF-8 still names its file. "-" is standard
    // input where a report is written.
    QList<QByteArray> sources;
    QString destination; // "-" is standard output
    MachineFormat format = MachineFormat::Json; // for WriteFormat
    Subset subset = Subset::AllCharacters;
    QString error;
};

// Where the program was started with standard input, output or error
// closed, puts a read-only /dev/null in its place: the first file the
// program opens would take that number, and a report meant for standard
// output would be written into it. A write there now fails and is reported.
// Call first, before anything is opened.
void guardStandardStreams();

// The arguments as the program got them, its name first: bytes, untouched.
QList<QByteArray> argumentsOf(int argc, const char* const* argv);

// Reads arguments (the program's name first). Qt's own window options
// (-platform, -display, -style ...) are accepted and left to Qt. Needs no
// display.
CommandLine parseCommandLine(const QList<QByteArray>& arguments);

// What --help prints: the usage, the options and the exit statuses.
QString helpText();
// What --version prints: "tallivor 1.00".
QString versionText();
// The lines of usage that follow a misuse on standard error.
QString shortUsage();

// Runs what needs no window and gives the exit status: help and version on
// standard output, a misuse on standard error (status 2), the report and
// the machine formats (see writeReportWithoutWindow and
// writeFormatWithoutWindow). Nothing for OpenWindow.
std::optional<int> runWithoutWindow(const CommandLine& command);

// What the program says on standard error, one line, where no display can
// be opened for its window.
QByteArray noDisplayLine();
