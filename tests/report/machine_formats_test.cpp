// The formats for programs, from the real program: figures against the peer
// `ent`, counts against a plain loop, each format read back by a real parser,
// standard input through a pipe, several sources, sizes past the limit.
#include "machine_formats.h"
#include "name_bytes.h"
#include "program_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

struct SourceRow {
    const char* label;
    std::string bytes;
};

std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(random());
    return bytes;
}

std::string everyValue()
{
    std::string bytes;
    for (int value = 0; value <= 255; ++value)
        bytes.append(std::size_t(value % 5 + 1), char(value));
    return bytes;
}

const SourceRow kSources[] = {
    {"Empty", ""},
    {"OneByte", "A"},
    {"Text", "The quick brown fox jumps over the lazy dog.\nPack my box with five dozen liquor jugs.\n"},
    {"Random", randomBytes(1 << 20, 1)},
    {"Zeros", std::string(100'000, '\0')},
    {"EveryValue", everyValue()},
    {"SixNPlusThree", randomBytes(6 * 33'333 + 3, 2)},
};

void PrintTo(const SourceRow& row, std::ostream* out)
{
    *out << row.label;
}

class FormatsTest : public testing::Test {
protected:
    QString write(const QString& name, const std::string& bytes) const
    {
        const QString path = folder.filePath(name);
        std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary) << bytes;
        return path;
    }

    static QJsonObject jsonOf(const QByteArray& line)
    {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return document.object();
    }

    QTemporaryDir folder;
};

// What `ent` prints, each figure at the precision it prints it to.
struct EntFigures {
    QString entropy;     // %f
    QString chiSquare;   // %f, from its terse output
    QString percent;     // %1.2f, or "less than 0.01", "more than 99.99"
    QString mean;        // %f
    QString pi;          // %1.9f
    QString correlation; // %f, or "undefined"
};

std::optional<EntFigures> entFigures(const QString& path)
{
    const QString ent = QStandardPaths::findExecutable(QStringLiteral("ent"));
    if (ent.isEmpty())
        return std::nullopt;
    QProcess plain;
    plain.start(ent, {path});
    QProcess terse;
    terse.start(ent, {QStringLiteral("-t"), path});
    if (!plain.waitForFinished(60000) || !terse.waitForFinished(60000))
        return std::nullopt;
    const QString words = QString::fromLatin1(plain.readAllStandardOutput());
    const QStringList fields = QString::fromLatin1(terse.readAllStandardOutput()).split(u'\n')[1].split(u',');
    const auto match = [&words](const char* pattern) {
        return QRegularExpression(QLatin1String(pattern)).match(words).captured(1);
    };
    EntFigures figures;
    figures.entropy = fields[2];
    figures.chiSquare = fields[3];
    figures.mean = fields[4];
    figures.percent = match(R"(would exceed this value (.*) percent)");
    figures.percent.replace(QStringLiteral("more than than"), QStringLiteral("more than"));
    figures.pi = match(R"(Monte Carlo value for Pi is (\S+))");
    figures.correlation = words.contains(QStringLiteral("undefined")) ? QStringLiteral("undefined") : fields[6];
    return figures;
}

QString printed(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}

QString percentAsEntPrintsIt(double percent)
{
    if (percent < 0.01)
        return QStringLiteral("less than 0.01");
    if (percent > 99.99)
        return QStringLiteral("more than 99.99");
    return printed("%1.2f", percent);
}

class EntComparisonTest : public FormatsTest, public testing::WithParamInterface<SourceRow> {};

TEST_P(EntComparisonTest, FiguresAreEntsAndCountsAreExact)
{
    const std::string& bytes = GetParam().bytes;
    const QString path = write(QStringLiteral("source"), bytes);
    const ProgramRun run = runProgram({QStringLiteral("--format"), QStringLiteral("json"), path});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_TRUE(run.out.endsWith('\n'));
    ASSERT_EQ(run.out.count('\n'), 1);
    const QJsonObject json = jsonOf(run.out);
    EXPECT_EQ(json.keys(), (QStringList{"bytes", "chi_square", "chi_square_percent", "counts", "entropy", "file",
                                        "frequencies", "mean", "monte_carlo_pi", "serial_correlation", "subset"}));
    EXPECT_EQ(json[u"file"].toString(), path);
    EXPECT_EQ(json[u"subset"].toString(), "all");
    EXPECT_EQ(json[u"bytes"].toInteger(), qint64(bytes.size()));
    std::array<qint64, 256> counts{};
    for (const char byte : bytes)
        ++counts[static_cast<unsigned char>(byte)];
    const QJsonArray shownCounts = json[u"counts"].toArray();
    const QJsonArray frequencies = json[u"frequencies"].toArray();
    ASSERT_EQ(shownCounts.size(), 256);
    ASSERT_EQ(frequencies.size(), 256);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(shownCounts[v].toInteger(-1), counts[std::size_t(v)]) << v;
        EXPECT_EQ(frequencies[v].toDouble(-1), bytes.empty() ? 0 : double(counts[std::size_t(v)]) / double(bytes.size()));
    }

    if (bytes.empty()) {
        for (const char* key : {"entropy", "chi_square", "chi_square_percent", "mean", "monte_carlo_pi",
                                "serial_correlation"})
            EXPECT_TRUE(json[QLatin1String(key)].isNull()) << key;
        return;
    }
    const auto ent = entFigures(path);
    if (!ent)
        GTEST_SKIP() << "ent is not installed (Debian package ent)";
    EXPECT_EQ(printed("%f", json[u"entropy"].toDouble()), ent->entropy);
    EXPECT_EQ(printed("%f", json[u"chi_square"].toDouble()), ent->chiSquare);
    EXPECT_EQ(percentAsEntPrintsIt(json[u"chi_square_percent"].toDouble()), ent->percent);
    EXPECT_EQ(printed("%f", json[u"mean"].toDouble()), ent->mean);
    if (bytes.size() < 6)
        EXPECT_TRUE(json[u"monte_carlo_pi"].isNull());
    else
        EXPECT_EQ(printed("%1.9f", json[u"monte_carlo_pi"].toDouble()), ent->pi);
    if (ent->correlation == QLatin1String("undefined"))
        EXPECT_TRUE(json[u"serial_correlation"].isNull());
    else
        EXPECT_EQ(printed("%f", json[u"serial_correlation"].toDouble()), ent->correlation);
}

INSTANTIATE_TEST_SUITE_P(Sources, EntComparisonTest, testing::ValuesIn(kSources),
                         [](const auto& row) { return std::string(row.param.label); });

// Rows of CSV as Python's csv module reads them.
QList<QStringList> csvRows(const QByteArray& csv)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, io, json, sys\n"
                                 "text = io.TextIOWrapper(sys.stdin.buffer, encoding='utf-8', newline='')\n"
                                 "print(json.dumps(list(csv.reader(text, strict=True))))")});
    python.write(csv);
    python.closeWriteChannel();
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        return {};
    QList<QStringList> rows;
    for (const QJsonValue row : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        rows << row.toVariant().toStringList();
    return rows;
}

// Rows of TSV: lines of TAB-separated fields, \t, \n, \r and \\ unescaped.
QList<QStringList> tsvRows(const QByteArray& tsv)
{
    QList<QStringList> rows;
    for (const QByteArray& line : tsv.split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList fields;
        for (const QByteArray& field : line.split('\t')) {
            QByteArray text;
            for (qsizetype i = 0; i < field.size(); ++i) {
                if (field[i] == '\\' && i + 1 < field.size()) {
                    const char escaped = field[++i];
                    text += escaped == 't' ? '\t' : escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
                } else {
                    text += field[i];
                }
            }
            fields << QString::fromUtf8(text);
        }
        rows << fields;
    }
    return rows;
}

struct TableFormat {
    const char* name;
    QList<QStringList> (*read)(const QByteArray&);
    const char* header;
};

const TableFormat kTableFormats[] = {
    {"csv", csvRows, "file,code,hex,count,frequency"},
    {"tsv", tsvRows, "file\tcode\thex\tcount\tfrequency"},
};

void PrintTo(const TableFormat& row, std::ostream* out)
{
    *out << row.name;
}

class TableFormatTest : public FormatsTest, public testing::WithParamInterface<TableFormat> {};

// Two sources with names that need quoting or escaping, the subset A-Z: one
// header, 256 rows a source, numbers read back as JSON gives them.
TEST_P(TableFormatTest, ReadBackAsJsonGivesThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        GTEST_SKIP() << "python3 is not installed: no CSV reader";
    const QStringList sources = {
        write(QStringLiteral("a, \"quoted\"\tname\\.txt"), "AAAB, Bytes and more BYTES\n"),
        write(QStringLiteral("Zähler"), randomBytes(10'000, 3)),
    };
    const QStringList arguments = {QStringLiteral("--subset"), QStringLiteral("A-Z")};
    // Numbers as C writes them whatever the locale: a decimal comma would
    // split a CSV field.
    QProcessEnvironment german = withoutDisplay();
    german.remove(QStringLiteral("LC_ALL"));
    german.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    const ProgramRun table = runProgram(QStringList{QStringLiteral("--format"), QLatin1String(GetParam().name)}
                                            + arguments + sources,
                                        german);
    const ProgramRun json = runProgram(QStringList{QStringLiteral("--format"), QStringLiteral("json")} + arguments
                                       + sources);
    ASSERT_EQ(table.status, 0) << table.err.toStdString();
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(table.out.left(table.out.indexOf('\n'))), QLatin1String(GetParam().header));
    EXPECT_FALSE(table.out.contains('\r'));

    const QList<QStringList> rows = GetParam().read(table.out);
    const QList<QByteArray> lines = json.out.split('\n');
    ASSERT_EQ(rows.size(), 1 + 2 * 256);
    for (int s = 0; s < 2; ++s) {
        const QJsonObject object = jsonOf(lines[s]);
        EXPECT_EQ(object[u"subset"].toString(), "A-Z");
        for (int v = 0; v < 256; ++v) {
            const QStringList& row = rows[1 + s * 256 + v];
            ASSERT_EQ(row.size(), 5);
            EXPECT_EQ(row[0], sources[s]);
            EXPECT_EQ(row[1], QString::number(v));
            EXPECT_EQ(row[2], QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper());
            const bool upperCase = v >= 'A' && v <= 'Z';
            EXPECT_EQ(row[3].toLongLong(), upperCase ? object[u"counts"][v].toInteger() : 0) << v;
            EXPECT_EQ(row[4].toDouble(), object[u"frequencies"][v].toDouble()) << v;
        }
    }
    const QJsonObject first = jsonOf(lines[0]);
    EXPECT_EQ(first[u"frequencies"][int('A')].toDouble(), 3.0 / 10) << "3 of the 10 upper-case letters";
    EXPECT_EQ(first[u"counts"][int(' ')].toInteger(), 4) << "counts are of every byte value";
}

INSTANTIATE_TEST_SUITE_P(Formats, TableFormatTest, testing::ValuesIn(kTableFormats),
                         [](const auto& row) { return std::string(row.param.name); });

// Runs the program through the shell, for arguments and input that QProcess
// cannot give as bytes.
ProgramRun runShell(const QString& script, const QStringList& arguments = {})
{
    QProcess shell;
    shell.setProcessEnvironment(withoutDisplay());
    shell.start(QStringLiteral("/bin/sh"),
                QStringList{QStringLiteral("-c"), script, QStringLiteral(TALLIVOR_PROGRAM)} + arguments);
    EXPECT_TRUE(shell.waitForFinished(60000)) << script.toStdString();
    return {shell.exitCode(), shell.readAllStandardOutput(), shell.readAllStandardError()};
}

TEST_F(FormatsTest, StandardInputThroughAPipeIsCountedAsTheFile)
{
    const QString path = write(QStringLiteral("random"), randomBytes(3'000'001, 4));
    const ProgramRun file = runProgram({QStringLiteral("--format"), QStringLiteral("json"), path});
    const ProgramRun piped = runShell(QStringLiteral("cat \"$1\" | \"$0\" --format json -"), {path});
    ASSERT_EQ(piped.status, 0) << piped.err.toStdString();
    QJsonObject expected = jsonOf(file.out);
    expected[u"file"] = QStringLiteral("-");
    EXPECT_EQ(jsonOf(piped.out), expected);

    const ProgramRun report = runShell(QStringLiteral("cat \"$1\" | \"$0\" --format report -"), {path});
    const ProgramRun reportOfFile = runProgram({QStringLiteral("--report"), QStringLiteral("-"), path});
    EXPECT_EQ(report.status, 0) << report.err.toStdString();
    EXPECT_TRUE(report.out.contains("\r\nFile:    \t-\r\n"));
    EXPECT_EQ(report.out.mid(report.out.indexOf("Total Chars")),
              reportOfFile.out.mid(reportOfFile.out.indexOf("Total Chars")));
}

TEST_F(FormatsTest, SourcesThatCannotBeReadAreNamedAndTheOthersWritten)
{
    const QString first = write(QStringLiteral("first"), "ABC");
    const QString last = write(QStringLiteral("last"), "XYZ");
    const QString missing = folder.filePath(QStringLiteral("missing"));
    const QString destination = folder.filePath(QStringLiteral("out.csv"));
    const ProgramRun run = runProgram({QStringLiteral("--format"), QStringLiteral("csv"), QStringLiteral("--output"),
                                       destination, first, missing, folder.path(), last});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(QString::fromUtf8(run.err), QStringLiteral("tallivor: %1: No such file or directory\n"
                                                         "tallivor: %2: Is a directory\n")
                                              .arg(missing, folder.path()));
    QFile written(destination);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    ASSERT_EQ(lines.size(), 1 + 2 * 256 + 1);
    EXPECT_EQ(lines[1 + 'A'], (first + QStringLiteral(",65,41,1,0.3333333333333333")).toUtf8());
    EXPECT_EQ(lines[1 + 256 + 'Z'], (last + QStringLiteral(",90,5A,1,0.3333333333333333")).toUtf8());
}

// A sparse file of more than 2^32 bytes: counted whole in JSON, holes and
// all; the report counts its first 2,100,000,000 bytes and says so.
TEST_F(FormatsTest, SizePastTheLimit)
{
    const QString path = write(QStringLiteral("huge"), "");
    constexpr qint64 kSize = 5'000'000'004; // 6n
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        if (!file.resize(kSize - 6) || !file.seek(kSize - 6) || file.write("\xff\xff\xff\0\0\x01", 6) != 6)
            GTEST_SKIP() << "no room here for a sparse file of 5 GB";
    }
    const ProgramRun json = runProgram({QStringLiteral("--format"), QStringLiteral("json"), path});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonObject object = jsonOf(json.out);
    EXPECT_EQ(object[u"bytes"].toInteger(), kSize);
    EXPECT_EQ(object[u"counts"][0].toInteger(), kSize - 6 + 2);
    EXPECT_EQ(object[u"counts"][1].toInteger(), 1);
    EXPECT_EQ(object[u"counts"][255].toInteger(), 3);
    // Every group is the origin but the last, which lies outside.
    EXPECT_EQ(object[u"monte_carlo_pi"].toDouble(), 4.0 * double(kSize / 6 - 1) / double(kSize / 6));

    const ProgramRun report = runProgram({QStringLiteral("--format"), QStringLiteral("report"), path});
    EXPECT_EQ(report.status, 3);
    EXPECT_EQ(report.err, "tallivor: Input file size exceeds this programs maximum of 2100000000 chars.  Counting "
                          "stopped at this point, but results will be valid up to this point.\n");
    EXPECT_TRUE(report.out.contains("\r\nTotal Chars:    2100000000\r\n"));
}

// A name that is not UTF-8 names its file all the same; JSON escapes the
// byte as Python's surrogateescape reads it.
TEST_F(FormatsTest, NameThatIsNotUtf8)
{
    const QByteArray name = QFile::encodeName(folder.path()) + "/caf\xe9.txt";
    std::ofstream(name.toStdString(), std::ios::binary) << "AAAB";
    const ProgramRun report = runShell(QStringLiteral("exec \"$0\" --report - \"$(printf '%s/caf\\351.txt' \"$1\")\""),
                                       {folder.path()});
    EXPECT_EQ(report.status, 0) << report.err.toStdString();
    EXPECT_TRUE(report.out.contains("\r\nFile:    \t" + name + "\r\nTotal Chars:    4\r\n"));

    const ProgramRun json = runShell(QStringLiteral("exec \"$0\" --format json \"$(printf '%s/caf\\351.txt' \"$1\")\""),
                                     {folder.path()});
    EXPECT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_TRUE(json.out.startsWith("{\"file\":\"" + QFile::encodeName(folder.path()) + "/caf\\udce9.txt\""));
    EXPECT_EQ(jsonOf(json.out)[u"bytes"].toInteger(), 4);

    const ProgramRun missing = runShell(QStringLiteral("exec \"$0\" --format csv \"$(printf 'n\\351')\""));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "tallivor: n\xe9: No such file or directory\n");

    // A destination is written by its name as text: one outside UTF-8 is
    // refused rather than written under another name.
    const ProgramRun output = runShell(
        QStringLiteral("cd \"$1\" && exec \"$0\" --format csv --output \"$(printf 'out\\351')\" caf*"),
        {folder.path()});
    EXPECT_EQ(output.status, 2);
    EXPECT_TRUE(output.err.startsWith("tallivor: The name of DEST is not UTF-8: give one that is.\n"));
    const std::filesystem::directory_iterator entries(QFile::encodeName(folder.path()).toStdString());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "nothing written";
}

// A name's bytes in each format: JSON keeps every byte (those outside
// UTF-8 as \udcXX), CSV quotes, TSV escapes; as text the name keeps its
// bytes too.
struct NameRow {
    const char* label;
    QByteArray name;
    QByteArray json;
    QByteArray csv;
    QByteArray tsv;
};

const NameRow kNames[] = {
    {"Plain", "data/a.bin", R"("data/a.bin")", "data/a.bin", "data/a.bin"},
    {"Utf8", "Gr\xc3\xb6\xc3\x9f-\xf0\x9f\x98\x80", "\"Gr\xc3\xb6\xc3\x9f-\xf0\x9f\x98\x80\"",
     "Gr\xc3\xb6\xc3\x9f-\xf0\x9f\x98\x80", "Gr\xc3\xb6\xc3\x9f-\xf0\x9f\x98\x80"},
    {"Latin1", "caf\xe9", R"("caf\udce9")", "caf\xef\xbf\xbd", "caf\xef\xbf\xbd"},
    {"Overlong", "\xc0\xaf", R"("\udcc0\udcaf")", "\xef\xbf\xbd\xef\xbf\xbd", "\xef\xbf\xbd\xef\xbf\xbd"},
    {"Surrogate", "\xed\xa0\x80", R"("\udced\udca0\udc80")", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd",
     "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
    {"PastTheLastCodePoint", "\xf4\x90\x80\x80x", R"("\udcf4\udc90\udc80\udc80x")",
     "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbdx", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbdx"},
    {"CutShort", "\xe2\x82", R"("\udce2\udc82")", "\xef\xbf\xbd\xef\xbf\xbd", "\xef\xbf\xbd\xef\xbf\xbd"},
    {"Separators", "a,b\t\"c\"\\d\r\ne", R"("a,b\u0009\"c\"\\d\u000d\u000ae")", "\"a,b\t\"\"c\"\"\\d\r\ne\"",
     R"(a,b\t"c"\\d\r\ne)"},
};

void PrintTo(const NameRow& row, std::ostream* out)
{
    *out << row.label;
}

class NameTest : public testing::TestWithParam<NameRow> {};

TEST_P(NameTest, KeepsItsBytesAsEachFormatCan)
{
    const NameRow& row = GetParam();
    EXPECT_EQ(bytesOfText(textOfBytes(row.name)), row.name);
    SourceResult source;
    source.name = row.name;
    const QByteArray json = formatSource(MachineFormat::Json, source, Subset::AllCharacters);
    EXPECT_EQ(json.mid(8, json.indexOf(",\"bytes\"") - 8), row.json);
    QJsonParseError error{};
    QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QByteArray csv = formatSource(MachineFormat::Csv, source, Subset::AllCharacters);
    EXPECT_TRUE(csv.startsWith(row.csv + ",0,00,0,0\n")) << csv.left(40).toStdString();
    const QByteArray tsv = formatSource(MachineFormat::Tsv, source, Subset::AllCharacters);
    EXPECT_TRUE(tsv.startsWith(row.tsv + "\t0\t00\t0\t0\n")) << tsv.left(40).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Names, NameTest, testing::ValuesIn(kNames),
                         [](const auto& row) { return std::string(row.param.label); });

} // namespace
