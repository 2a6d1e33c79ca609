#include "frequency_table_model.h"

#include "character_captions.h"
#include "text_forms.h"

namespace {

constexpr FrequencyTableModel::ColumnDesign kColumns[] = {
    {"Code", 0, 249, Qt::AlignRight},
    {"Hex", 249, 249, Qt::AlignHCenter},
    {"Character", 498, 224, Qt::AlignHCenter},
    {"Count", 704, 855, Qt::AlignRight},
    {"Frequency", 1560, 495, Qt::AlignRight},
};

} // namespace

std::span<const FrequencyTableModel::ColumnDesign> FrequencyTableModel::columns()
{
    return kColumns;
}

QString FrequencyTableModel::header(int column)
{
    return QLatin1String(kColumns[column].header);
}

FrequencyTableModel::FrequencyTableModel() : cells_(std::size_t(kRows * columnCount()))
{
    for (int code = 0; code < kRows; ++code) {
        cells_[std::size_t(code * columnCount() + Code)] = QString::number(code);
        cells_[std::size_t(code * columnCount() + Hex)] = QString::fromStdString(hexText(code));
        cells_[std::size_t(code * columnCount() + Character)] = characterOfCode(code);
    }
}

QString FrequencyTableModel::text(int row, int column) const
{
    return cells_[std::size_t(row * columnCount() + column)];
}

void FrequencyTableModel::setText(int row, int column, const QString& text)
{
    QString& cell = cells_[std::size_t(row * columnCount() + column)];
    if (cell == text)
        return;
    cell = text;
    emit cellChanged(row, column);
}

QString FrequencyTableModel::readableText(int row, int column) const
{
    return column == Character ? characterName(row) : text(row, column);
}

void FrequencyTableModel::setBarTop(int code, float top)
{
    const float old = barTops_[std::size_t(code)];
    if (old == top)
        return;
    barTops_[std::size_t(code)] = top;
    emit barChanged(code, old);
}
