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

QString readFailureMessage(const QString& path, const ReadOutcome& outcome)
{
    const QString reason = outcome.status == ReadStatus::Changed
        ? QString::fromLatin1(kChangedWhileCountedReason)
        : qt_error_string(outcome.error);
    return QString::fromLatin1(kReadFailedMessage).arg(path, reason);
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

void frmMain::setSourceFile(const QByteArray& name)
{
    givenSourceText_ = QFile::decodeName(name);
    givenSourceName_ = name;
    txtSourceFile->setText(givenSourceText_);
}

QByteArray frmMain::sourcePath() const
{
    const QString text = txtSourceFile->text();
    if (!givenSourceName_.isNull() && text == givenSourceText_)
        return givenSourceName_;
    return QFile::encodeName(text);
}

std::shared_ptr<frmMain::DetachedCount> frmMain::countWithoutInput(const QByteArray& source,
                                                                  const FrequencyState& start,
                                                                  bool statistics)
{
    auto count = std::make_shared<DetachedCount>();
    count->path = source.toStdString();
    count->read = services_.readSource;
    count->state = start;
    count->stop = stopRequested_;
    count->options.stop = count->stop.get();
    if (statistics) {
        count->options.observer = &count->statistics;
        // Cheaper for an observer than mapping (see writeFormatWithoutWindow).
        count->options.mapCached = false;
    }
    const bool finished = runWithoutInput(
        [count] { count->outcome = count->read(count->path, count->state, count->options); },
        stopRequested_.get());
    return finished ? count : nullptr;
}

void frmMain::readFile()
{
    const QString path = txtSourceFile->text();
    const QByteArray source = sourcePath();
    countedSource_.clear();
    statistics_.reset();
    const auto count = countWithoutInput(source, state, false);
    if (!count)
        return; // the window is closing; the counts stay as the reset left them
    state = count->state;
    const ReadOutcome& outcome = count->outcome;
    if (outcome.status == ReadStatus::Counted || outcome.status == ReadStatus::LimitReached) {
        countedSource_ = source;
        countedStamp_ = stampOf(source);
    }

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
        services_.messageBox.MsgBox(this, readFailureMessage(path, outcome),
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
