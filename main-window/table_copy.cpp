#include "table_copy.h"

#include "character_captions.h"
#include "frequency_separator.h"
#include "frm_main.h"
#include "text_forms.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <charconv>
#include <cmath>

namespace {

QString line(const QStringList& cells)
{
    return cells.join(u'\t') + u'\n';
}

QRectF boundsOf(const ControlArray<Label>& column)
{
    QRectF bounds;
    for (std::int16_t i = 0; i <= 255; ++i)
        if (column.contains(i))
            bounds = bounds.united(column(i).pixelBounds());
    return bounds;
}

bool overTableGraphOrTotals(const frmMain& window, const QPointF& point)
{
    const QRectF table = window.frequencyTable->cellsArea();
    QRectF graph = window.frequencyGraph->picture().united(window.lblMaxFreq->pixelBounds());
    graph = graph.united(boundsOf(window.Label1)).united(boundsOf(window.lblGraphMenu));
    for (std::int16_t i = 0; i <= 255; ++i)
        graph = graph.united(window.lnFreq(i).pixelBounds());
    QRectF totals;
    for (const Label* label : {window.lblTotal, window.lblTotalChars, window.lblSelected,
                               window.lblSelectedChars})
        totals = totals.united(label->pixelBounds());
    return table.contains(point) || graph.contains(point) || totals.contains(point);
}

void copyTable(const frmMain& window)
{
    QGuiApplication::clipboard()->setText(tableAsText(window));
}

void copyStatistics(frmMain& window)
{
    if (const auto figures = window.statisticsOfCount())
        QGuiApplication::clipboard()->setText(statisticsAsText(window.state.totalChars, *figures));
}

QString figureText(const std::optional<double>& figure, const QString& decimalPoint)
{
    if (!figure || !std::isfinite(*figure))
        return {};
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, *figure);
    return QString::fromLatin1(text, result.ptr - text).replace(u'.', decimalPoint);
}

// A text box takes Ctrl+C for itself even with nothing selected; then the
// window's copy is meant.
class CopyWithoutSelection : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        const auto* box = qobject_cast<QLineEdit*>(watched);
        return box && !box->hasSelectedText() &&
               static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy);
    }
};

void showCopyMenu(frmMain& window, const QPoint& position)
{
    if (!overTableGraphOrTotals(window, position))
        return;
    auto* menu = new QMenu(&window);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Copy Table"), &window, [&window] { copyTable(window); });
    QAction* statistics = menu->addAction(QStringLiteral("Copy Statistics"));
    // Working the figures out may count the file again, waiting in an event
    // loop of its own: not inside the menu's handler, whose menu that loop
    // would delete under it.
    QObject::connect(statistics, &QAction::triggered, &window, [&window] { copyStatistics(window); },
                     Qt::QueuedConnection);
    // Not exec(): nothing waits on the open menu.
    menu->popup(window.mapToGlobal(position));
}

} // namespace

QString tableAsText(const frmMain& window)
{
    const FrequencyTableModel& table = window.tableModel;
    QStringList headers;
    for (int column = 0; column < table.columnCount(); ++column)
        headers << table.header(column);
    QString text = line(headers);
    for (int i = 0; i <= 255; ++i) {
        QStringList cells;
        for (int column = 0; column < table.columnCount(); ++column)
            cells << table.readableText(i, column);
        text += line(cells);
    }
    text += line({QStringLiteral("Total Chars"), window.lblTotalChars->Caption()});
    text += line({QStringLiteral("Selected"), window.lblSelectedChars->Caption()});
    text += line({QStringLiteral("Largest frequency"), window.lblMaxFreq->Caption()});
    return text;
}

QString statisticsAsText(std::int64_t bytes, const ByteFigures& figures)
{
    const QString decimalPoint = QString::fromStdString(frequencySeparator());
    const std::pair<const char*, const std::optional<double>&> rows[] = {
        {"Entropy", figures.entropy},
        {"Chi-square", figures.chiSquare},
        {"Chi-square percent", figures.chiSquarePercent},
        {"Mean", figures.mean},
        {"Monte Carlo pi", figures.monteCarloPi},
        {"Serial correlation", figures.serialCorrelation},
    };
    QString text = line({QStringLiteral("Total Chars"), QString::fromStdString(countText(bytes))});
    for (const auto& [name, figure] : rows)
        text += line({QLatin1String(name), figureText(figure, decimalPoint)});
    return text;
}

void frmMain::installTableCopy()
{
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, [this] { copyTable(*this); });
    auto* filter = new CopyWithoutSelection(this);
    txtSourceFile->installEventFilter(filter);
    txtDestinationFile->installEventFilter(filter);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { showCopyMenu(*this, position); });
}
