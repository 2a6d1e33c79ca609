// The program's command line on a machine without any display: what each
// command line ends with and says first.
#include "calculate_at_start.h"
#include "program_run.h"
#include "window_fixture.h"

#include <QLineEdit>
#include <QTest>
#include <QFile>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <tuple>

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
     "tallivor: --subset goes with --report or --format only."},
    {"UnknownSubset", {"--report", "-", "--subset", "lower", "%TEXT%"}, 2, Stream::Err,
     "tallivor: Unknown subset 'lower': use all, A-Z or printable."},
    {"LowerCaseSubset", {"--format", "csv", "--subset", "a-z", "%TEXT%"}, 2, Stream::Err,
     "tallivor: The subset 'a-z' holds the upper-case letters only: it is spelled A-Z."},
    {"UnknownFormat", {"--format", "xml", "%TEXT%"}, 2, Stream::Err,
     "tallivor: Unknown format 'xml': use report, json, csv or tsv."},
    {"ReportAndOutput", {"--report", "-", "--output", "%DIR%/r.txt", "%TEXT%"}, 2, Stream::Err,
     "tallivor: --report DEST is --format report --output DEST: give one of them."},
    {"ReportAsJson", {"--report", "%DIR%/r.txt", "--format", "json", "%TEXT%"}, 2, Stream::Err,
     "tallivor: --report writes the report format: use --output DEST with --format json."},
    {"FormatWithoutSource", {"--format", "json"}, 2, Stream::Err,
     "tallivor: --format json needs a SOURCE file, or - for standard input."},
    {"FormatReportOfTwoSources", {"--format", "report", "%TEXT%", "%TEXT%"}, 2, Stream::Err,
     "tallivor: --format report needs exactly one SOURCE file."},
    {"StandardInputTwice", {"--format", "tsv", "-", "%TEXT%", "-"}, 2, Stream::Err,
     "tallivor: Standard input (-) can be read only once."},
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
    {"ReportOfAToZ", {"--report", "%DIR%/r.txt", "--subset", "A-Z", "%TEXT%"}, 0, Stream::Err, ""},
    {"ReportOfHiddenFile", {"--report", "-", "%DIR%/.hidden"}, 0, Stream::Out, "Tallivor by quorvex.example\r"},
    {"ReportOfMissingSource", {"--report", "%DIR%/r.txt", "%DIR%/none"}, 1, Stream::Err,
     "tallivor: %DIR%/none: No such file or directory"},
    {"ReportOfAFolder", {"--report", "%DIR%/r.txt", "%DIR%"}, 1, Stream::Err, "tallivor: %DIR%: Is a directory"},
    {"ReportOfUnreadableSource", {"--report", "%DIR%/r.txt", "/proc/self/mem"}, 1, Stream::Err,
     "tallivor: /proc/self/mem: Input/output error"},
    {"CsvToOutput", {"--format", "csv", "%TEXT%"}, 0, Stream::Out, "file,code,hex,count,frequency"},
    {"CsvOfMissingSource", {"--format", "csv", "%DIR%/none"}, 1, Stream::Err,
     "tallivor: %DIR%/none: No such file or directory"},
    {"JsonOfADevice", {"--format", "json", "/dev/null"}, 1, Stream::Err,
     "tallivor: /dev/null: Is a character device, not a file"},
    {"JsonOfANamedPipe", {"--format", "json", "%DIR%/fifo"}, 1, Stream::Err,
     "tallivor: %DIR%/fifo: Is a named pipe, not a file; read it as standard input (-)"},
    {"TsvIntoMissingFolder", {"--format", "tsv", "--output", "%DIR%/no/r.txt", "%TEXT%"}, 1, Stream::Err,
     "tallivor: The report could not be written to:  %DIR%/no/r.txt: No such file or directory."},
    {"ReportIntoMissingFolder", {"--report", "%DIR%/no/r.txt", "%TEXT%"}, 1, Stream::Err,
     "tallivor: The report could not be written to:  %DIR%/no/r.txt: No such file or directory."},
    {"ReportToEmptyName", {"--report", "", "%TEXT%"}, 1, Stream::Err,
     "tallivor: Please type in or select a destination file before attempting to save."},
    {"ReportPastTheLimit", {"--report", "/dev/null", "%DIR%/huge"}, 3, Stream::Err,
     "tallivor: Input file size exceeds this programs maximum of 2100000000 chars.  Counting stopped "
     "at this point, but results will be valid up to this point."},
};

void PrintTo(const CommandRow& row, std::ostream* out)
{
    *out << row.label;
}

// Each command line in the C locale and in a German one, whose decimal comma
// the report uses and the formats for programs do not; the system's reasons
// stay in English for the comparison.
struct LocaleRow {
    const char* label;
    const char* lang;
};
const LocaleRow kLocales[] = {{"C", "C.UTF-8"}, {"German", "de_DE.UTF-8"}};

void PrintTo(const LocaleRow& row, std::ostream* out)
{
    *out << row.label;
}

class CommandLineTest : public WindowTest, public testing::WithParamInterface<std::tuple<CommandRow, LocaleRow>> {
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
    const auto& [row, locale] = GetParam();
    writeFile("text.txt", "Hello, World!\n");
    writeFile(".hidden", "Hidden");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    // Longer than the limit, but a hole: counted without being read.
    std::filesystem::resize_file(writeFile("huge", "").toStdString(), 2'100'000'001);
    QStringList arguments;
    for (const QString& argument : row.arguments)
        arguments << expand(argument);

    QProcessEnvironment environment = withoutDisplay();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.insert(QStringLiteral("LANG"), QLatin1String(locale.lang));
    environment.insert(QStringLiteral("LC_MESSAGES"), QStringLiteral("C.UTF-8"));
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
    calculateAtStart(*window, relative.toUtf8());
    window->show();
    QTRY_COMPARE(messages.shown.size(), std::size_t(1));
    EXPECT_EQ(messages.shown.front().text,
              "Please select an input file before attempting to calculate frequencies.");
    EXPECT_EQ(window->txtSourceFile->text(), relative);

    const QString path = writeFile("three", "abc");
    calculateAtStart(*window, QFile::encodeName(path));
    QTRY_COMPARE(window->lblTotalChars->Caption(), QStringLiteral("3"));
    EXPECT_EQ(window->txtSourceFile->text(), path);
    EXPECT_EQ(messages.shown.size(), std::size_t(1));
}

// A name that is not UTF-8: the box shows it as well as text can, the very
// file is counted for as long as the box's text stays, and the report names
// it as the box does.
TEST_F(CommandLineTest, NameThatIsNotUtf8IsCounted)
{
    const QString folder = QString::fromStdString(dir.string());
    const QByteArray name = QFile::encodeName(folder) + "/caf\xe9.txt";
    std::ofstream(name.toStdString(), std::ios::binary) << "AAAB";
    calculateAtStart(*window, name);
    window->show();
    QTRY_COMPARE(window->lblTotalChars->Caption(), QStringLiteral("4"));
    const QString shown = folder + QStringLiteral("/caf\uFFFD.txt");
    EXPECT_EQ(window->txtSourceFile->text(), shown);
    EXPECT_TRUE(messages.shown.empty());

    const QString report = folder + QStringLiteral("/report.txt");
    window->txtDestinationFile->setText(report);
    window->btnSaveFrequencies_Click();
    QFile saved(report);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("\r\nFile:    \t" + shown.toUtf8() + "\r\nTotal Chars:    4\r\n"));

    window->txtSourceFile->setText(shown + u'x');
    window->btnCalcFrequency_Click();
    ASSERT_EQ(messages.shown.size(), std::size_t(1)) << "another text names another file";
    window->txtSourceFile->setText(shown);
    window->btnCalcFrequency_Click();
    EXPECT_EQ(window->lblTotalChars->Caption(), QStringLiteral("4"));
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

INSTANTIATE_TEST_SUITE_P(WithoutDisplay, CommandLineTest,
                         testing::Combine(testing::ValuesIn(kRows), testing::ValuesIn(kLocales)),
                         [](const auto& row) {
                             return std::string(std::get<0>(row.param).label) + "_" + std::get<1>(row.param).label;
                         });

} // namespace
