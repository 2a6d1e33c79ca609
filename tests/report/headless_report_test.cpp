// The report written from the command line is the window's, byte for byte.
#include "headless_report.h"
#include "program_run.h"
#include "report_test.h"
#include "scope_exit.h"

#include <QLocale>
#include <atomic>
#include <csignal>
#include <unistd.h>
#include <string>
#include <tuple>

namespace {

struct SourceFile {
    const char* label;
    std::string name;
    std::string bytes;
};

std::string everyByteValue()
{
    std::string bytes;
    for (int value = 0; value <= 255; ++value)
        bytes.append(std::size_t(value % 7 + 1), char(value));
    return bytes;
}

const SourceFile kSources[] = {
    {"Empty", "empty", ""},
    {"Text", "text.txt", "Hello, World!\nABC xyz 0123456789 ~{}[]\n"},
    {"EveryByte", "every-byte.bin", everyByteValue()},
    {"NonAsciiName", "Größe – ünïcode.txt", "Zähler\tZZZ\r\n"},
};

struct SubsetChoice {
    const char* argument;
    int option;
};
const SubsetChoice kSubsets[] = {{"all", 0}, {"A-Z", 1}, {"printable", 2}};

// The locale as the window has it, and as the environment gives it.
struct LocaleChoice {
    const char* label;
    const char* name;
};
const LocaleChoice kLocales[] = {{"C", "C.UTF-8"}, {"German", "de_DE.UTF-8"}};

void PrintTo(const SourceFile& row, std::ostream* out)
{
    *out << row.label;
}
void PrintTo(const SubsetChoice& row, std::ostream* out)
{
    *out << row.argument;
}
void PrintTo(const LocaleChoice& row, std::ostream* out)
{
    *out << row.name;
}

class HeadlessReportTest
    : public ReportTest,
      public testing::WithParamInterface<std::tuple<SourceFile, SubsetChoice, LocaleChoice>> {};

TEST_P(HeadlessReportTest, WritesTheBytesTheWindowSaves)
{
    const auto& [source, subset, locale] = GetParam();
    const QString path = writeFile(source.name, source.bytes);
    QProcessEnvironment environment = withoutDisplay();
    environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale.name));

    const QLocale previous;
    const ScopeExit restore([previous] { QLocale::setDefault(previous); });
    QLocale::setDefault(QLocale(QString::fromLatin1(locale.name).section(u'.', 0, 0)));
    calculate(path, subset.option);
    save(QStringLiteral("window.txt"));
    const QByteArray saved = bytesOf(pathIn("window.txt"));
    ASSERT_FALSE(saved.isEmpty());

    const ProgramRun toFile = runProgram({QStringLiteral("--report"), pathIn("headless.txt"),
                                          QStringLiteral("--subset"), QLatin1String(subset.argument), path},
                                         environment);
    EXPECT_EQ(toFile.status, 0) << toFile.err.toStdString();
    EXPECT_EQ(toFile.err, QByteArray());
    EXPECT_EQ(bytesOf(pathIn("headless.txt")), saved);

    const ProgramRun toOutput = runProgram({QStringLiteral("--report"), QStringLiteral("-"),
                                            QStringLiteral("--subset"), QLatin1String(subset.argument), path},
                                           environment);
    EXPECT_EQ(toOutput.status, 0);
    EXPECT_EQ(toOutput.out, saved);
}

std::string caseName(const testing::TestParamInfo<HeadlessReportTest::ParamType>& row)
{
    const auto& [source, subset, locale] = row.param;
    constexpr const char* kSubsetNames[] = {"All", "AToZ", "Printable"};
    return std::string(source.label) + "_" + kSubsetNames[subset.option] + "_" + locale.label;
}

INSTANTIATE_TEST_SUITE_P(FilesSubsetsLocales, HeadlessReportTest,
                         testing::Combine(testing::ValuesIn(kSources), testing::ValuesIn(kSubsets),
                                          testing::ValuesIn(kLocales)),
                         caseName);

std::atomic<bool> terminateDelivered = false;

// A terminate signal that comes while the report is being written waits
// until it is written: nothing is left half done or beside it.
TEST_F(ReportTest, TerminateDuringTheWriteWaitsForItsEnd)
{
    const QString source = writeFile("text.txt", "ABC");
    struct sigaction recording {};
    recording.sa_handler = [](int) { terminateDelivered = true; };
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGTERM, &recording, &previous), 0);
    const ScopeExit restore([&previous] { ::sigaction(SIGTERM, &previous, nullptr); });
    terminateDelivered = false;

    bool heldDuringWrite = false;
    const WriteCall write = [&heldDuringWrite](int fd, const void* data, std::size_t size) {
        ::raise(SIGTERM);
        heldDuringWrite = !terminateDelivered;
        return ::write(fd, data, size);
    };
    QStringList said;
    const int status = writeReportWithoutWindow({QFile::encodeName(source), pathIn("report.txt"), Subset::AllCharacters},
                                                [&said](const QString& line) { said << line; }, write);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(said.isEmpty()) << said.join(u'\n').toStdString();
    EXPECT_TRUE(heldDuringWrite);
    EXPECT_TRUE(terminateDelivered) << "delivered once the write has ended";
    EXPECT_EQ(entries(), (std::set<std::string>{"report.txt", "text.txt"}));
    EXPECT_TRUE(bytesOf(pathIn("report.txt")).startsWith("Tallivor by "));
}

} // namespace
