#include "report_test.h"

#include "save_flow.h"
#include "save_messages.h"
#include "user_interface_thread.h"

#include <cerrno>
#include <QPushButton>
#include <atomic>
#include <optional>

namespace {

using Answer = MessageBox::Answer;
using Buttons = MessageBox::Buttons;

struct FlowCase {
    const char* name;
    bool counted;                         // calculated before saving, else the dataset is empty
    const char* destination;              // relative to the temporary folder
    std::optional<const char*> existing;  // the content of a file already there
    std::deque<Answer> answers;
    QStringList asked;
    bool written;
};

void PrintTo(const FlowCase& row, std::ostream* out)
{
    *out << row.name;
}

const QString kEmpty = kEmptyDatasetQuestion;
const QString kNoDestination = kNoDestinationMessage;
const QString kOverwrite = kOverwriteQuestion;

const FlowCase kFlows[] = {
    {"EmptyDatasetNoWritesNothing", false, "report.txt", {}, {Answer::No}, {kEmpty}, false},
    {"EmptyDatasetYesWrites", false, "report.txt", {}, {Answer::Yes}, {kEmpty}, true},
    {"EmptyDatasetYesThenNoDestination", false, "", {}, {Answer::Yes}, {kEmpty, kNoDestination}, false},
    {"EmptyDatasetNoAsksNothingMore", false, "", {}, {Answer::No}, {kEmpty}, false},
    {"EmptyDestination", true, "", {}, {}, {kNoDestination}, false},
    {"InitialTextOfTheBox", true, "Select a destination file...", {}, {}, {kNoDestination}, false},
    {"InitialTextInOtherCaseIsAName", true, "select a destination file...", {}, {}, {}, true},
    {"InitialTextWithABlankIsAName", true, "Select a destination file... ", {}, {}, {}, true},
    {"NewFileIsNotAskedAbout", true, "report.txt", {}, {}, {}, true},
    {"ExistingAnsweredNo", true, "old.txt", "keep me", {Answer::No}, {kOverwrite}, false},
    {"ExistingAnsweredYes", true, "old.txt", "keep me", {Answer::Yes}, {kOverwrite}, true},
    {"HiddenExistingAnsweredNo", true, ".report", "keep me", {Answer::No}, {kOverwrite}, false},
    {"HiddenExistingAnsweredYes", true, ".report", "keep me", {Answer::Yes}, {kOverwrite}, true},
    {"EmptyDatasetThenExisting", false, "old.txt", "keep me", {Answer::Yes, Answer::No},
     {kEmpty, kOverwrite}, false},
};

class SaveFlowTest : public ReportTest, public testing::WithParamInterface<FlowCase> {};

TEST_P(SaveFlowTest, AsksItsQuestionsInOrderAndWritesOnlyWhenAllowed)
{
    const FlowCase& row = GetParam();
    if (row.counted)
        calculate(writeFile("source", "AB"));
    if (row.existing)
        writeFile(row.destination, *row.existing);
    const auto before = entries();
    messages.answers = row.answers;

    save(QString::fromLatin1(row.destination));

    EXPECT_EQ(shownTexts(), row.asked);
    for (const auto& box : messages.shown) {
        EXPECT_EQ(box.buttons, box.text == kNoDestination ? Buttons::Ok : Buttons::YesNo) << box.text.toStdString();
        EXPECT_EQ(box.title, "Mirvane");
    }
    const QByteArray content = bytesOf(pathIn(row.destination));
    if (row.written) {
        EXPECT_TRUE(content.startsWith("Tallivor by quorvex.example\r\n"));
    } else {
        EXPECT_EQ(content, row.existing.value_or(""));
        EXPECT_EQ(entries(), before);
    }
    EXPECT_EQ(window->txtDestinationFile->text(), row.destination);
}

INSTANTIATE_TEST_SUITE_P(Flows, SaveFlowTest, testing::ValuesIn(kFlows),
                         [](const auto& row) { return std::string(row.param.name); });

using SaveAgainTest = ReportTest;

TEST_F(SaveAgainTest, SavingTwiceAsksTheSecondTime)
{
    calculate(writeFile("source", "AB"));
    save(QStringLiteral("report.txt"));
    save(QStringLiteral("report.txt"));
    EXPECT_EQ(shownTexts(), QStringList{kOverwrite});
}

TEST_F(SaveAgainTest, TheSourceItselfIsReplacedAfterYes)
{
    const QString source = writeFile("source", "AB");
    calculate(source);
    save(source);
    EXPECT_EQ(shownTexts(), QStringList{kOverwrite});
    EXPECT_TRUE(bytesOf(source).startsWith("Tallivor by"));
    EXPECT_EQ(window->lblTotalChars->Caption(), "2");
}

// Each kind of failure reads as its own reason, and the system's error in
// the system's words, whatever the locale makes of them.
TEST(WriteFailureMessageTest, NamesThePathAndTheReasonOfEachKind)
{
    WriteFailure headLost = WriteFailure::system(EIO);
    headLost.loss = WriteFailure::Loss{0, 4096, 80000, 80000};
    WriteFailure endLost = WriteFailure::system(EIO);
    endLost.loss = WriteFailure::Loss{5000, 80000, 80000, 5000};
    WriteFailure longer = WriteFailure::system(EFBIG);
    longer.loss = WriteFailure::Loss{0, 0, 3000, 5000};
    WriteFailure both = WriteFailure::system(EIO);
    both.loss = WriteFailure::Loss{0, 1000, 3000, 5000};
    WriteFailure leftBehind = WriteFailure::system(ENOSPC);
    leftBehind.unfinishedFile = QStringLiteral("/d/.tallivor-x");
    const std::pair<WriteFailure, QString> rows[] = {
        {WriteFailure::system(ENOSPC), qt_error_string(ENOSPC)},
        {WriteFailure::of(WriteFailure::Kind::BlankName), kBlankNameReason},
        {WriteFailure::of(WriteFailure::Kind::NoReader), kNoReaderReason},
        {WriteFailure::disk(QStringLiteral("/dev/loop0")), QStringLiteral("/dev/loop0 is a disk or partition, not a file")},
        {headLost, qt_error_string(EIO) + ".  Its old content could not be put back: bytes 1 to 4096 of its 80000 are lost"},
        {endLost, qt_error_string(EIO) + ".  Its old content could not be put back: bytes 5001 to 80000 of its 80000 are lost"},
        {longer, qt_error_string(EFBIG) + ".  Its old content could not be put back: it is 2000 bytes longer than it was"},
        {both, qt_error_string(EIO) + ".  Its old content could not be put back: bytes 1 to 1000 of its 3000 are lost, "
                                      "and it is 2000 bytes longer than it was"},
        {WriteFailure::pathChanged(QStringLiteral("/d/report.txt")),
         QStringLiteral("/d/report.txt changed while the report was being saved, so nothing was written")},
        {leftBehind, qt_error_string(ENOSPC) + ".  The unfinished file /d/.tallivor-x could not be removed"},
    };
    for (const auto& [failure, reason] : rows)
        EXPECT_EQ(writeFailureMessage(QStringLiteral("/d/report.txt"), failure),
                  kWriteFailedMessage.arg(QStringLiteral("/d/report.txt"), reason));
}

TEST_F(SaveAgainTest, DuringTheWriteTheWindowRunsDropsClicksAndClosesOnlyAfterwards)
{
    std::atomic<int> writes = 0;
    std::atomic<bool> visibleAfterClose = false;
    window = std::make_unique<frmMain>(WindowServices{
        messages, files, links, readSourceFile, [&](const QString& path, const QByteArray& bytes) {
            ++writes;
            postClick(*window->btnHelp);
            postClick(*window->btnSaveFrequencies);
            QMetaObject::invokeMethod(window.get(), &QWidget::close, Qt::QueuedConnection);
            // Returns only if the window goes on handling events (and so
            // repainting) while the report is written.
            waitForUserInterfaceThread();
            visibleAfterClose = window->isVisible();
            return writeReportFile(path, bytes);
        }});
    window->show();
    calculate(writeFile("source", "AB"));
    save(QStringLiteral("report.txt"));
    QCoreApplication::processEvents();

    EXPECT_EQ(writes, 1);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->helpWindow(), nullptr);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(reportLines(bytesOf(pathIn("report.txt"))).size(), 266);
}

} // namespace
