#include "decimal_point.h"

#include <QLocale>

std::string frequencySeparator()
{
    return QLocale().decimalPoint().toStdString();
}
