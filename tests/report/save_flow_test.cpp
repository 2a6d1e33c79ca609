#include "window_fixture.h"

#include "frequency_report.h"
#include "save_flow.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <filesystem>

namespace {

class SaveFlowTest : public WindowTest {
protected:
    QByteArray save(const QString& destination)
    {
        window->txtDestinationFile->setText(destination);
        window->btnSaveFrequencies_Click();
        QFile file(destination);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString destination() const { return QString::fromStdString((dir / "report.txt").string()); }
    QList<QByteArray> lines(const QByteArray& report) const
    {
        QList<QByteArray> all = report.split('\n');
        EXPECT_TRUE(all.takeLast().isEmpty()); // the last line ends too
        return all;
    }
    QStringList texts() const
    {
        QStringList shown;
        for (const auto& box : messages.shown)
            shown << box.text;
        return shown;
    }
};

TEST_F(SaveFlowTest, WritesWhatTheWindowShowsByteForByte)
{
    const QString source = writeFile("Hello é.txt", "Hello");
    calculate(source, 1);
    const QByteArray report = save(destination());
    EXPECT_TRUE(messages.shown.empty());
    const QList<QByteArray> all = lines(report);
    ASSERT_EQ(all.size(), 266);
    EXPECT_EQ(all[0], "Tallivor by quorvex.example\r");
    EXPECT_EQ(all[1], "\r");
    EXPECT_EQ(all[2], "File:    \t" + QFile::encodeName(source) + "\r");
    EXPECT_EQ(all[3], "Total Chars:    5\r");
    EXPECT_EQ(all[5], "Datasubset:     A-Z Only\r");
    EXPECT_EQ(all[6], "Subset Chars:   1\r");
    EXPECT_EQ(all[8], "Code    Hex     Character Count  Character Frequency\r");
    EXPECT_EQ(all[9], QByteArray(53, '-') + "\r");
    EXPECT_EQ(all[10], "0\t00\t\t         \r");
    EXPECT_EQ(all[10 + 72], "72\t48\t1\t         1\r");
    EXPECT_EQ(all[10 + 101], "101\t65\t\t         \r");
    EXPECT_EQ(all[265], "255\tFF\t\t         \r");
    EXPECT_FALSE(report.startsWith("\xEF\xBB\xBF"));
}

TEST_F(SaveFlowTest, CopiesTheFrequencyTextAsShown)
{
    calculate(writeFile("thirtytwo", "A" + std::string(31, 'b')));
    EXPECT_EQ(lines(save(destination()))[10 + 65], "65\t41\t1\t         0.0312\r");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    calculate(writeFile("quarter", "ABBB"));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(lines(save(destination()))[10 + 65], "65\t41\t1\t         0,25\r");
}

TEST_F(SaveFlowTest, TheSubsetAndSourceAreReadAtTheMomentOfSaving)
{
    calculate(writeFile("a", "AB"));
    window->optSubset(2).setChecked(true);
    window->txtSourceFile->setText(QStringLiteral("somewhere else"));
    const QList<QByteArray> all = lines(save(destination()));
    EXPECT_EQ(all[2], "File:    \tsomewhere else\r");
    EXPECT_EQ(all[5], "Datasubset:     A-Z + Printable Chars, No Extended Chars\r");
    EXPECT_EQ(all[6], "Subset Chars:   2\r");

    ReportContent none;
    none.subsetOption = -1;
    EXPECT_EQ(formatReport(none).count("\r\n"), 265);
}

TEST_F(SaveFlowTest, AnEmptyDatasetIsAskedAboutFirst)
{
    messages.answers = {MessageBox::Answer::No};
    EXPECT_TRUE(save(destination()).isEmpty());
    EXPECT_EQ(texts(), QStringList{kEmptyDatasetQuestion});
    EXPECT_FALSE(QFile::exists(destination()));

    messages.shown.clear();
    const QList<QByteArray> all = lines(save(destination())); // answered Yes
    EXPECT_EQ(texts(), QStringList{kEmptyDatasetQuestion});
    EXPECT_EQ(all[2], "File:    \tSelect a source file...\r");
    EXPECT_EQ(all[3], "Total Chars:    0\r");
    EXPECT_EQ(all[5], "Datasubset:     All Characters\r");
}

TEST_F(SaveFlowTest, RefusesAMissingDestination)
{
    calculate(writeFile("a", "A"));
    for (const QString& text : {QString(), kDestinationPlaceholder}) {
        messages.shown.clear();
        save(text);
        EXPECT_EQ(texts(), QStringList{kNoDestinationMessage});
        EXPECT_EQ(messages.shown[0].buttons, MessageBox::Buttons::Ok);
    }
    // Any other text is a file name, relative to the working directory.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.string()));
    save(QStringLiteral("select a destination file..."));
    QDir::setCurrent(previous);
    EXPECT_TRUE(std::filesystem::exists(dir / "select a destination file..."));
}

TEST_F(SaveFlowTest, AsksBeforeReplacingAnyExistingFile)
{
    calculate(writeFile("a", "A"));
    for (const char* name : {"old.txt", ".hidden"}) {
        const QString path = writeFile(name, "keep me");
        messages.shown.clear();
        messages.answers = {MessageBox::Answer::No};
        EXPECT_EQ(save(path), "keep me");
        EXPECT_EQ(texts(), QStringList{kOverwriteQuestion}) << name;
        messages.answers = {MessageBox::Answer::Yes};
        EXPECT_TRUE(save(path).startsWith("Tallivor by")) << name;
    }
}

TEST_F(SaveFlowTest, WritesThroughALinkAndKeepsIt)
{
    calculate(writeFile("a", "A"));
    const QString target = writeFile("target.txt", "old");
    const auto link = dir / "link.txt";
    std::filesystem::create_symlink(target.toStdString(), link);
    EXPECT_TRUE(save(QString::fromStdString(link.string())).startsWith("Tallivor by"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("Tallivor by"));
}

TEST_F(SaveFlowTest, AFailedWriteIsReportedAndLeavesNothingBehind)
{
    calculate(writeFile("a", "A"));
    std::filesystem::create_directory(dir / "folder");
    const QString cases[] = {
        QString::fromStdString((dir / "folder").string()),
        QString::fromStdString((dir / "missing" / "report.txt").string()),
    };
    for (const QString& path : cases) {
        messages.shown.clear();
        save(path);
        ASSERT_EQ(messages.shown.size(), 1u) << path.toStdString();
        EXPECT_TRUE(messages.shown[0].text.startsWith("The report could not be written to " + path));
        EXPECT_EQ(messages.shown[0].title, "Mirvane");
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 2u); // the source and the folder: no temporary file left
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
}

} // namespace
