#include "table_copy.h"

#include "frm_main.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>

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

void installTableCopy(frmMain& window)
{
    auto* copy = new QShortcut(QKeySequence::Copy, &window);
    QObject::connect(copy, &QShortcut::activated, &window, [&window] { copyTable(window); });
    auto* filter = new CopyWithoutSelection(&window);
    window.txtSourceFile->installEventFilter(filter);
    window.txtDestinationFile->installEventFilter(filter);

    window.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&window, &QWidget::customContextMenuRequested, &window,
                     [&window](const QPoint& position) { showCopyMenu(window, position); });
}
