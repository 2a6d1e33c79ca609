// The report written from the command line is the window's, byte for byte.
#include "program_run.h"
#include "report_test.h"
#include "scope_exit.h"

#include <QLocale>
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
const SubsetChoice kSubsets[] = {{"all", 0}, {"a-z", 1}, {"printable", 2}};

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

} // namespace
