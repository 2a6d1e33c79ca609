#include "frequency_table_widget.h"

#include "colors.h"
#include "fonts.h"
#include "frequency_table_model.h"
#include "character_captions.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QTimer>
#include <algorithm>

namespace {

// The first row's top edge and the rows' height, in twips.
constexpr int kTopTwips = 1229;
constexpr int kRowHeightTwips = 150;
constexpr std::uint32_t kLightBlock = 0xDDDDDD;
constexpr std::uint32_t kDarkBlock = 0xCCCCCC;
// The frame round the current cell lies just outside it, so that it covers
// none of the text.
constexpr double kMarkWidth = 2.0;

QRectF aroundMark(const QRectF& area)
{
    return area.adjusted(-kMarkWidth, -kMarkWidth, kMarkWidth, kMarkWidth);
}

} // namespace

std::optional<TableCell> cellAfterKey(TableCell from, int key, Qt::KeyboardModifiers modifiers,
                                      int rows, int columns, int pageRows)
{
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    const bool control = held == Qt::ControlModifier;
    if (held != Qt::NoModifier && !(control && (key == Qt::Key_Home || key == Qt::Key_End)))
        return std::nullopt;
    TableCell to = from;
    switch (key) {
    case Qt::Key_Up: --to.row; break;
    case Qt::Key_Down: ++to.row; break;
    case Qt::Key_Left: --to.column; break;
    case Qt::Key_Right: ++to.column; break;
    case Qt::Key_PageUp: to.row -= pageRows; break;
    case Qt::Key_PageDown: to.row += pageRows; break;
    case Qt::Key_Home:
        to.column = 0;
        if (control)
            to.row = 0;
        break;
    case Qt::Key_End:
        to.column = columns - 1;
        if (control)
            to.row = rows - 1;
        break;
    default:
        return std::nullopt;
    }
    to.row = std::clamp(to.row, 0, rows - 1);
    to.column = std::clamp(to.column, 0, columns - 1);
    return to;
}

FrequencyTableWidget::FrequencyTableWidget(QWidget& window, const FormScale& scale,
                                           FrequencyTableModel& model)
    : QWidget(&window), model_(&model), scale_(scale),
      font_(designFont(QStringLiteral("Microsoft Sans Serif"), 6.75)),
      top_(scale.unitsFromTwipsY(kTopTwips)), rowHeight_(scale.unitsFromTwipsY(kRowHeightTwips)),
      blockPitch_(0)
{
    for (const auto& column : FrequencyTableModel::columns()) {
        lefts_.push_back(scale.unitsFromTwipsX(column.leftTwips));
        widths_.push_back(scale.unitsFromTwipsX(column.widthTwips));
        blockPitch_ += widths_.back();
    }
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(aroundMark(cellsArea()).toAlignedRect() & window.rect());
    connect(&model, &FrequencyTableModel::cellChanged, this,
            [this](int row, int column) { updateArea(cellRect(row, column)); });
}

QRectF FrequencyTableWidget::cellRect(int row, int column) const
{
    const int block = row / FrequencyTableModel::kRowsPerBlock;
    const int rowInBlock = row % FrequencyTableModel::kRowsPerBlock;
    // In float, as the window's units are, so that cells fall on the same
    // pixels whichever way they are reached.
    const float left = lefts_[std::size_t(column)] + float(block) * blockPitch_;
    const float top = top_ + float(rowInBlock) * rowHeight_;
    return QRectF(scale_.pixelsFromUnitsX(left), scale_.pixelsFromUnitsY(top),
                  scale_.pixelsFromUnitsX(widths_[std::size_t(column)]),
                  scale_.pixelsFromUnitsY(rowHeight_));
}

QRectF FrequencyTableWidget::cellsArea() const
{
    QRectF area;
    for (int row = 0; row < FrequencyTableModel::kRows; ++row)
        for (int column = 0; column < FrequencyTableModel::columnCount(); ++column)
            area |= cellRect(row, column);
    return area;
}

std::uint32_t FrequencyTableWidget::blockColor(int row)
{
    return row / FrequencyTableModel::kRowsPerBlock % 2 == 0 ? kLightBlock : kDarkBlock;
}

void FrequencyTableWidget::updateArea(const QRectF& area)
{
    update(area.translated(-QPointF(pos())).toAlignedRect());
}

void FrequencyTableWidget::updateMark()
{
    updateArea(aroundMark(cellRect(current_.row, current_.column)));
}

void FrequencyTableWidget::setCurrent(TableCell cell)
{
    if (cell == current_)
        return;
    updateMark();
    current_ = cell;
    updateMark();
    if (hasFocus())
        emit cellFocused();
}

void FrequencyTableWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.translate(-pos());
    const QRectF dirty = QRectF(event->rect()).translated(QPointF(pos()));
    // Column by column: where two columns overlap, the later lies in front.
    const auto columns = FrequencyTableModel::columns();
    for (int column = 0; column < int(columns.size()); ++column) {
        int flags = Qt::AlignTop | Qt::TextWordWrap | int(columns[std::size_t(column)].alignment);
        for (int row = 0; row < FrequencyTableModel::kRows; ++row) {
            const QRectF cell = cellRect(row, column);
            if (!cell.intersects(dirty))
                continue;
            painter.fillRect(cell, colorFromBgr(blockColor(row)));
            const QString text = model_->text(row, column);
            if (text.isEmpty())
                continue;
            painter.save();
            painter.setClipRect(cell, Qt::IntersectClip);
            painter.setFont(font_);
            painter.setPen(Qt::black);
            painter.drawText(cell, flags, visibleText(text));
            painter.restore();
        }
    }
    if (!hasFocus())
        return;
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight), kMarkWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const double half = kMarkWidth / 2;
    painter.drawRect(cellRect(current_.row, current_.column).adjusted(-half, -half, half, half));
}

void FrequencyTableWidget::keyPressEvent(QKeyEvent* event)
{
    const auto to = cellAfterKey(current_, event->key(), event->modifiers(), FrequencyTableModel::kRows,
                                 FrequencyTableModel::columnCount(), FrequencyTableModel::kRowsPerBlock);
    if (!to) {
        QWidget::keyPressEvent(event);
        return;
    }
    setCurrent(*to);
    event->accept();
}

void FrequencyTableWidget::focusInEvent(QFocusEvent* event)
{
    updateMark();
    QWidget::focusInEvent(event);
    // Qt tells of the table's focus only once this handler has returned.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            emit cellFocused();
    });
}

void FrequencyTableWidget::focusOutEvent(QFocusEvent* event)
{
    updateMark();
    QWidget::focusOutEvent(event);
}

QString TableCellHandle::Caption() const
{
    return table_->model().text(row_, column_);
}

void TableCellHandle::setCaption(const QString& caption) const
{
    table_->model().setText(row_, column_, caption);
}
