// The byte statistics of the last calculation, counted again on first asking.
#include "frm_main.h"

#include "message_box.h"
#include "scope_exit.h"
#include "table_copy.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

bool sameCounts(const FrequencyState& state, const FrequencyState& again)
{
    return state.totalChars == again.totalChars && state.charCounts == again.charCounts;
}

} // namespace

std::optional<frmMain::FileStamp> frmMain::stampOf(const QByteArray& path)
{
    struct stat status {};
    if (::stat(path.constData(), &status) != 0)
        return std::nullopt;
    return FileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
}

std::optional<ByteFigures> frmMain::statisticsOfCount()
{
    if (statistics_)
        return statistics_;
    if (countedSource_.isNull() || state.totalChars == 0)
        return ByteFigures{};
    if (!countedStamp_ || stampOf(countedSource_) != countedStamp_) {
        services_.messageBox.MsgBox(this, kChangedSinceCountedMessage, MessageBox::Buttons::Ok);
        return std::nullopt;
    }

    busy_ = Busy::Counting;
    *stopRequested_ = false;
    setMousePointer(Hourglass);
    const ScopeExit restore([this] {
        setMousePointer(Arrow);
        busy_ = Busy::No;
    });
    FrequencyState classes;
    classes.charTypes = state.charTypes;
    const auto count = countWithoutInput(countedSource_, classes, true);
    if (!count || *stopRequested_) {
        close();
        return std::nullopt;
    }
    const ReadStatus status = count->outcome.status;
    if ((status != ReadStatus::Counted && status != ReadStatus::LimitReached) ||
        !sameCounts(state, count->state)) {
        services_.messageBox.MsgBox(this, kChangedSinceCountedMessage, MessageBox::Buttons::Ok);
        return std::nullopt;
    }
    WideCounts counts{};
    std::copy(state.charCounts.begin(), state.charCounts.end(), counts.begin());
    statistics_ = count->statistics.figures(counts);
    return statistics_;
}
