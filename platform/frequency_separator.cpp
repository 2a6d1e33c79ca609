#include "frequency_separator.h"

#include <QLocale>

std::string frequencySeparator()
{
    return QLocale().decimalPoint().toStdString();
}
