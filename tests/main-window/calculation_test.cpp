#include "window_fixture.h"

#include "calculate_at_start.h"
#include "messages.h"
#include "no_thread_to_be_had.h"
#include "user_interface_thread.h"

#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using CalculationTest = WindowTest;

QString totals(const frmMain& window)
{
    return window.lblTotalChars->Caption() + " " + window.lblSelectedChars->Caption() + " " +
           window.lblMaxFreq->Caption();
}

int filledRows(const frmMain& window)
{
    int filled = 0;
    for (int i = 0; i < 256; ++i)
        filled += !window.lblASCIICount(i).Caption().isEmpty();
    return filled;
}

TEST_F(CalculationTest, OneRepeatedByteFillsOneRowAndRaisesItsBarFully)
{
    calculate(writeFile("a100", std::string(100, 'A')));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(window->lblASCIICount(65).Caption(), "100");
    EXPECT_EQ(window->lblASCIIFreq(65).Caption(), "1");
    EXPECT_EQ(totals(*window), "100 100 1");
    EXPECT_EQ(filledRows(*window), 1);
    EXPECT_EQ(window->lnFreq(65).Y2(), 9.0f);
    EXPECT_EQ(window->lnFreq(66).Y2(), 49.0f);
    EXPECT_EQ(window->MousePointer(), Form::Arrow);
}

TEST_F(CalculationTest, BarsRiseInProportionToTheLargestFrequency)
{
    calculate(writeFile("aaab", "AAAB"));
    EXPECT_EQ(window->lblASCIIFreq(65).Caption(), "0.75");
    EXPECT_EQ(window->lblASCIIFreq(66).Caption(), "0.25");
    EXPECT_EQ(window->lnFreq(65).Y2(), 9.0f);
    EXPECT_NEAR(window->lnFreq(66).Y2(), 49.0f - 13.3333f, 1e-4);
    EXPECT_EQ(totals(*window), "4 4 0.75");
}

TEST_F(CalculationTest, OnlyTheChosenSubsetIsFilled)
{
    const QString hello = writeFile("hello", "Hello");
    calculate(hello, 1);
    EXPECT_EQ(filledRows(*window), 1);
    EXPECT_EQ(window->lblASCIICount('H').Caption(), "1");
    EXPECT_TRUE(window->lblASCIICount('e').Caption().isEmpty());
    EXPECT_EQ(totals(*window), "5 1 1");

    calculate(hello, 2);
    EXPECT_EQ(window->lblASCIIFreq('l').Caption(), "0.4");
    EXPECT_EQ(window->lblASCIIFreq('H').Caption(), "0.2");
    EXPECT_EQ(totals(*window), "5 5 0.4");

    calculate(writeFile("lower", "abc"), 1);
    EXPECT_EQ(filledRows(*window), 0);
    EXPECT_EQ(totals(*window), "3 0 0");
    EXPECT_EQ(window->lnFreq('a').Y2(), 49.0f);
}

TEST_F(CalculationTest, EmptyFileShowsZerosWithoutAMessage)
{
    calculate(writeFile("empty", ""));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(filledRows(*window), 0);
    EXPECT_EQ(totals(*window), "0 0 0");
}

TEST_F(CalculationTest, MissingSourceIsReportedAndShowsZeros)
{
    calculate(writeFile("first", "xyz"));
    for (const QString& path : {QStringLiteral("Select a source file..."),
                                QString::fromStdString(dir.string()),
                                writeFile(".hidden", "abc")}) {
        messages.shown.clear();
        calculate(path);
        ASSERT_EQ(messages.shown.size(), 1u) << path.toStdString();
        EXPECT_EQ(messages.shown[0].text, QString::fromLatin1(kMissingSourceMessage));
        EXPECT_EQ(messages.shown[0].buttons, MessageBox::Buttons::Ok);
        EXPECT_EQ(messages.shown[0].title, "Mirvane");
        EXPECT_EQ(filledRows(*window), 0);
        EXPECT_EQ(totals(*window), "0 0 0");
        EXPECT_EQ(window->MousePointer(), Form::Arrow);
    }
}

TEST_F(CalculationTest, ReadErrorIsReportedWithItsReasonAndShowsZeros)
{
    // Reading this process's memory from address 0 fails with an I/O error.
    calculate(writeFile("first", "xyz"));
    calculate(QStringLiteral("/proc/self/mem"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "The source file could not be read:  /proc/self/mem\n\n" + qt_error_string(EIO) + ".");
    EXPECT_EQ(filledRows(*window), 0);
    EXPECT_EQ(totals(*window), "0 0 0");
    EXPECT_EQ(window->MousePointer(), Form::Arrow);
}

// A file that kept changing while it was counted is a read failure with
// that reason, never a partial count shown as the file's.
TEST_F(CalculationTest, AFileThatKeptChangingIsReportedAndShowsZeros)
{
    window = std::make_unique<frmMain>(WindowServices{
        messages, files, links, [](const std::string&, FrequencyState&, const ReadOptions&) {
            return ReadOutcome{ReadStatus::Changed, 0, 0};
        }});
    const QString path = writeFile("changing", "AB");
    calculate(path);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "The source file could not be read:  " + path + "\n\nThe file changed while it was counted.");
    EXPECT_EQ(totals(*window), "0 0 0");
}

TEST_F(CalculationTest, RepeatingGivesTheSameAndAnOptionAloneChangesNothing)
{
    const QString path = writeFile("aaab", "AAAB");
    calculate(path);
    const float bar = window->lnFreq(66).Y2();
    calculate(path);
    EXPECT_EQ(window->lnFreq(66).Y2(), bar);
    EXPECT_EQ(window->lblASCIICount(65).Caption(), "3");

    window->optSubset(1).setChecked(true);
    EXPECT_EQ(window->lblASCIICount(65).Caption(), "3");
    EXPECT_EQ(totals(*window), "4 4 0.75");
}

TEST_F(CalculationTest, LineEndsAreCountedButNotPrintable)
{
    calculate(writeFile("crlf", "\r\nAB"), 2);
    EXPECT_EQ(totals(*window), "4 2 0.5");
    EXPECT_TRUE(window->lblASCIICount(13).Caption().isEmpty());
    EXPECT_EQ(window->lblASCIIFreq(65).Caption(), "0.5");
}

TEST_F(CalculationTest, ARareByteShowsItsCountWithAZeroFrequency)
{
    calculate(writeFile("rare", std::string(20'000, 'x') + "Q"));
    EXPECT_EQ(window->lblASCIICount('Q').Caption(), "1");
    EXPECT_EQ(window->lblASCIIFreq('Q').Caption(), "0");
}

// At the task limit the count of `tallivor FILE` and the save after it run
// on the window's thread: frozen meanwhile, but complete.
TEST_F(CalculationTest, WithNoThreadToBeHadCountsAndSavesAllTheSame)
{
    const NoThreadToBeHad noThread;
    window->show();
    calculateAtStart(*window, QFile::encodeName(writeFile("aaab", "AAAB")));
    QCoreApplication::processEvents();
    EXPECT_EQ(totals(*window), "4 4 0.75");
    EXPECT_EQ(window->MousePointer(), Form::Arrow);

    const auto report = dir / "report.txt";
    window->txtDestinationFile->setText(QString::fromStdString(report.string()));
    window->btnSaveFrequencies_Click();
    EXPECT_TRUE(messages.shown.empty());
    std::ifstream saved(report, std::ios::binary);
    std::string line;
    for (int i = 0; i < 4; ++i)
        std::getline(saved, line);
    EXPECT_EQ(line, "Total Chars:    4\r");
}

class CountInProgressTest : public WindowTest {
protected:
    // Calculates in a shown window whose count first runs `during` on the
    // counting thread and lets the user-interface thread handle what that
    // posted; then it stops if asked to, or counts as usual.
    void countWith(std::function<void()> during)
    {
        window = std::make_unique<frmMain>(WindowServices{
            messages, files, links,
            [this, during](const std::string& path, FrequencyState& state, const ReadOptions& options) {
                ++counts;
                during();
                waitForUserInterfaceThread();
                stopSeen = options.stop->load();
                return stopSeen ? ReadOutcome{ReadStatus::Stopped, {}, 0}
                                : readSourceFile(path, state, options);
            }});
        window->show();
        calculate(writeFile("source", "AAB"));
        QCoreApplication::processEvents();
    }

    std::atomic<int> counts = 0;
    std::atomic<bool> stopSeen = false;
};

TEST_F(CountInProgressTest, ClicksDuringACountAreDroppedNotReplayed)
{
    countWith([this] {
        for (int i = 0; i < 3; ++i)
            postClick(*window->btnCalcFrequency);
    });
    EXPECT_EQ(counts, 1);
    EXPECT_FALSE(stopSeen);
    EXPECT_EQ(totals(*window), "3 3 0.6667");
}

TEST_F(CountInProgressTest, ClosingDuringACountStopsItShowsNothingAndCloses)
{
    countWith([this] {
        QMetaObject::invokeMethod(window.get(), &QWidget::close, Qt::QueuedConnection);
    });
    EXPECT_TRUE(stopSeen);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(filledRows(*window), 0);
    EXPECT_EQ(window->MousePointer(), Form::Arrow);
}

TEST_F(CountInProgressTest, ClosingDuringAReadThatNeverReturnsDoesNotWaitForIt)
{
    // A pipe whose writer is held open and writes nothing: a read that
    // blocks in the kernel until the test lets it go.
    const std::string fifo = (dir / "stalled").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    std::promise<void> readReturned;
    window = std::make_unique<frmMain>(WindowServices{
        messages, files, links, [&](const std::string&, FrequencyState& state, const ReadOptions&) {
            const int reader = ::open(fifo.c_str(), O_RDONLY);
            QMetaObject::invokeMethod(window.get(), &QWidget::close, Qt::QueuedConnection);
            char byte = 0;
            const bool read = ::read(reader, &byte, 1) == 1;
            ::close(reader);
            state.charCounts['A'] = 1;
            state.totalChars = 1;
            readReturned.set_value();
            return ReadOutcome{read ? ReadStatus::Counted : ReadStatus::ReadFailed, {}, 1};
        }});
    window->show();
    calculate(writeFile("source", "AB"));

    const std::future<void> returned = readReturned.get_future();
    EXPECT_EQ(returned.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(filledRows(*window), 0);
    EXPECT_EQ(window->state.totalChars, 0);
    EXPECT_EQ(window->MousePointer(), Form::Arrow);

    // What the read left behind finds nothing of the window's to write to.
    ASSERT_EQ(::write(writer, "x", 1), 1);
    returned.wait();
    ::close(writer);
    EXPECT_EQ(window->state.totalChars, 0);
}

} // namespace
