// The program's command line on a machine without any display: what each
// command line ends with and says first.
#include "calculate_at_start.h"
#include "program_run.h"
#include "window_fixture.h"

#include <QLineEdit>
#include <QTest>
#include <QFile>
#include <filesystem>

namespace {

enum class Stream { Out, Err };

struct CommandRow {
    const char* label;
    QStringList arguments; // %TEXT% a small text file, %DIR% a scratch folder
    int status;
    Stream stream;
    QString firstLine; // %DIR% as above
    const char* display = nullptr; // DISPLAY, where one is named
};

const CommandRow kRows[] = {
    {"Help", {"--help"}, 0, Stream::Out, "Usage: tallivor [FILE]"},
    {"ShortHelp", {"-h"}, 0, Stream::Out, "Usage: tallivor [FILE]"},
    {"Version", {"--version"}, 0, Stream::Out, "tallivor 1.00"},
    {"UnknownOption", {"--bogus"}, 2, Stream::Err, "tallivor: Unknown option 'bogus'."},
    {"UnknownOptionBesideFile", {"-x", "%TEXT%"}, 2, Stream::Err, "tallivor: Unknown option 'x'."},
    {"ReportWithoutDestination", {"--report"}, 2, Stream::Err, "tallivor: Missing value after '--report'."},
    {"ReportWithoutSource", {"--report", "-"}, 2, Stream::Err, "tallivor: --report needs exactly one SOURCE file."},
    {"ReportOfTwoSources", {"--report", "-", "%TEXT%", "%TEXT%"}, 2, Stream::Err,
     "tallivor: --report needs exactly one SOURCE file."},
    {"SubsetWithoutReport", {"--subset", "all", "%TEXT%"}, 2, Stream::Err,
     "tallivor: --subset goes with --report only."},
    {"UnknownSubset", {"--report", "-", "--subset", "lower", "%TEXT%"}, 2, Stream::Err,
     "tallivor: Unknown subset 'lower': use all, a-z or printable."},
    {"TwoFiles", {"%TEXT%", "%TEXT%"}, 2, Stream::Err, "tallivor: Only one FILE can be opened."},
    {"WindowWithoutDisplay", {}, 1, Stream::Err,
     "tallivor: No display could be opened for the window: set DISPLAY (X11) or WAYLAND_DISPLAY "
     "(Wayland), or QT_QPA_PLATFORM (offscreen for none)."},
    {"FileWithoutDisplay", {"%TEXT%"}, 1, Stream::Err,
     "tallivor: No display could be opened for the window: set DISPLAY (X11) or WAYLAND_DISPLAY "
     "(Wayland), or QT_QPA_PLATFORM (offscreen for none)."},
    {"DisplayThatDoesNotAnswer", {}, 1, Stream::Err,
     "tallivor: No display could be opened for the window: set DISPLAY (X11) or WAYLAND_DISPLAY "
     "(Wayland), or QT_QPA_PLATFORM (offscreen for none).",
     ":4093"},
    {"HelpBesideADisplayThatDoesNotAnswer", {"--help"}, 0, Stream::Out, "Usage: tallivor [FILE]", ":4093"},
    {"ReportToOutput", {"--report", "-", "%TEXT%"}, 0, Stream::Out, "Tallivor by quorvex.example\r"},
    {"ReportOfAToZ", {"--report", "%DIR%/r.txt", "--subset", "a-z", "%TEXT%"}, 0, Stream::Err, ""},
    {"ReportOfMissingSource", {"--report", "%DIR%/r.txt", "%DIR%/none"}, 1, Stream::Err,
     "tallivor: Please select an input file before attempting to calculate frequencies."},
    {"ReportOfAFolder", {"--report", "%DIR%/r.txt", "%DIR%"}, 1, Stream::Err,
     "tallivor: Please select an input file before attempting to calculate frequencies."},
    {"ReportOfUnreadableSource", {"--report", "%DIR%/r.txt", "/proc/self/mem"}, 1, Stream::Err,
     "tallivor: The source file could not be read:  /proc/self/mem: Input/output error."},
    {"ReportIntoMissingFolder", {"--report", "%DIR%/no/r.txt", "%TEXT%"}, 1, Stream::Err,
     "tallivor: The report could not be written to:  %DIR%/no/r.txt: No such file or directory."},
    {"ReportToEmptyName", {"--report", "", "%TEXT%"}, 1, Stream::Err,
     "tallivor: Please type in or select a destination file before attempting to save."},
    {"ReportPastTheLimit", {"--report", "/dev/null", "%DIR%/huge"}, 0, Stream::Err,
     "tallivor: Input file size exceeds this programs maximum of 2100000000 chars.  Counting stopped "
     "at this point, but results will be valid up to this point."},
};

void PrintTo(const CommandRow& row, std::ostream* out)
{
    *out << row.label;
}

class CommandLineTest : public WindowTest, public testing::WithParamInterface<CommandRow> {
protected:
    QString expand(QString text) const
    {
        const QString folder = QString::fromStdString(dir.string());
        return text.replace(QStringLiteral("%TEXT%"), folder + QStringLiteral("/text.txt"))
            .replace(QStringLiteral("%DIR%"), folder);
    }
};

TEST_P(CommandLineTest, EndsWithItsStatusAndSaysItFirst)
{
    const CommandRow& row = GetParam();
    writeFile("text.txt", "Hello, World!\n");
    // Longer than the limit, but a hole: counted without being read.
    std::filesystem::resize_file(writeFile("huge", "").toStdString(), 2'100'000'001);
    QStringList arguments;
    for (const QString& argument : row.arguments)
        arguments << expand(argument);

    QProcessEnvironment environment = withoutDisplay();
    if (row.display)
        environment.insert(QStringLiteral("DISPLAY"), QLatin1String(row.display));
    const ProgramRun run = runProgram(arguments, environment);
    EXPECT_EQ(run.status, row.status) << run.err.toStdString();
    const QByteArray& said = row.stream == Stream::Out ? run.out : run.err;
    EXPECT_EQ(QString::fromLocal8Bit(said.split('\n').front()), expand(row.firstLine));
    if (row.status != 0) {
        EXPECT_FALSE(QFile::exists(expand(QStringLiteral("%DIR%/r.txt")))) << "nothing is written";
    }
    // Messages from a report are one line each.
    if (row.status == 1 && row.arguments.contains(QStringLiteral("--report"))) {
        EXPECT_EQ(run.err.count('\n'), 1);
    }
}

// `tallivor FILE`: the window counts FILE once it is shown, with the usual
// messages, and the source box holds FILE as given.
TEST_F(CommandLineTest, FileIsCountedAsIfCalculateWasPressed)
{
    const QString relative = QStringLiteral("no/such/file");
    calculateAtStart(*window, relative);
    window->show();
    QTRY_COMPARE(messages.shown.size(), std::size_t(1));
    EXPECT_EQ(messages.shown.front().text,
              "Please select an input file before attempting to calculate frequencies.");
    EXPECT_EQ(window->txtSourceFile->text(), relative);

    const QString path = writeFile("three", "abc");
    calculateAtStart(*window, path);
    QTRY_COMPARE(window->lblTotalChars->Caption(), QStringLiteral("3"));
    EXPECT_EQ(window->txtSourceFile->text(), path);
    EXPECT_EQ(messages.shown.size(), std::size_t(1));
}

// Started with standard output closed, the program must not write the
// report into whatever file took its number.
TEST_F(CommandLineTest, ClosedStandardOutputIsReportedAsAFailure)
{
    const QString text = writeFile("text.txt", "Hello");
    QProcess shell;
    shell.setProcessEnvironment(withoutDisplay());
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("exec \"$0\" --report - \"$1\" >&-"),
                 QStringLiteral(TALLIVOR_PROGRAM), text});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 1);
    EXPECT_EQ(shell.readAllStandardError(),
              "tallivor: The report could not be written to:  standard output: Bad file descriptor.\n");
}

INSTANTIATE_TEST_SUITE_P(WithoutDisplay, CommandLineTest, testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.label); });

} // namespace
