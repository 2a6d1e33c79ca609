// "Calculate Frequencies": read the source, work out the chosen subset and
// fill the table, the bars and the totals.
#include "frm_main.h"

#include "frequency_separator.h"
#include "message_box.h"
#include "messages.h"
#include "scope_exit.h"
#include "source_file.h"
#include "subset_statistics.h"
#include "text_forms.h"
#include "wait_without_input.h"

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QString readFailureMessage(const QString& path, int error)
{
    return QString::fromLatin1(kReadFailedMessage).arg(path, qt_error_string(error));
}

} // namespace

void frmMain::btnCalcFrequency_Click()
{
    resetObjects();
    calculateFrequency();
    if (*stopRequested_)
        close();
    else
        announceResults();
}

void frmMain::readFile()
{
    const QString path = txtSourceFile->text();
    // The count works on its own copy of everything: a read that never
    // returns (a stalled network or FUSE file) is left behind when the
    // window closes, and must then touch nothing of the window's.
    struct Count {
        std::string path;
        SourceReader read;
        FrequencyState state;
        ReadOptions options;
        ReadOutcome outcome;
        std::shared_ptr<const std::atomic<bool>> stop;
    };
    auto count = std::make_shared<Count>(
        Count{QFile::encodeName(path).toStdString(), services_.readSource, state, {}, {}, stopRequested_});
    count->options.stop = count->stop.get();
    const bool finished = runWithoutInput(
        [count] { count->outcome = count->read(count->path, count->state, count->options); },
        stopRequested_.get());
    if (!finished)
        return; // the window is closing; the counts stay as the reset left them
    state = count->state;
    const ReadOutcome& outcome = count->outcome;

    switch (outcome.status) {
    case ReadStatus::Counted:
    case ReadStatus::Stopped:
        break;
    case ReadStatus::Missing:
        services_.messageBox.MsgBox(this, QString::fromLatin1(kMissingSourceMessage),
                                    MessageBox::Buttons::Ok);
        break;
    case ReadStatus::LimitReached:
        services_.messageBox.MsgBox(this, QString::fromLatin1(kSourceLimitMessage),
                                    MessageBox::Buttons::Ok);
        break;
    case ReadStatus::ReadFailed:
    case ReadStatus::Changed:
        services_.messageBox.MsgBox(this, readFailureMessage(path, outcome.error),
                                    MessageBox::Buttons::Ok);
        break;
    }
}

void frmMain::calculateFrequency()
{
    busy_ = Busy::Counting;
    *stopRequested_ = false;
    setMousePointer(Hourglass);
    const ScopeExit restore([this] {
        setMousePointer(Arrow);
        busy_ = Busy::No;
    });
    readFile(); // drops the input that comes while the file is counted
    if (*stopRequested_)
        return; // the window is closing: nothing partial is shown
    // So are clicks and keys that come while the table fills: none is
    // replayed as a command once it is done.
    const DiscardUserInput discard;

    const Subset subset = subsetFromOptions(optSubset(0).isChecked(), optSubset(1).isChecked(),
                                            optSubset(2).isChecked());
    const SubsetStatistics stats = computeSubsetStatistics(state, subset);
    const std::string decimalPoint = frequencySeparator();
    const auto frequency = [&decimalPoint](float value) {
        return QString::fromStdString(frequencyText(value, decimalPoint));
    };

    for (std::int16_t i = 0; i <= 255; ++i) {
        if (!isFilled(state, subset, i))
            continue;
        lblASCIICount(i).setCaption(QString::fromStdString(countText(state.charCounts[i])));
        lblASCIIFreq(i).setCaption(frequency(state.charFreqs[i]));
    }
    if (stats.selectedChars > 0)
        for (std::int16_t i = 0; i <= 255; ++i)
            lnFreq(i).setY2(float(double(lnFreq(i).Y2()) - barRise(state, stats, i)));

    lblTotalChars->setCaption(QString::fromStdString(countText(state.totalChars)));
    lblSelectedChars->setCaption(QString::fromStdString(countText(stats.selectedChars)));
    lblMaxFreq->setCaption(frequency(float(stats.maxFreq)));
}
