#include "frequency_separator.h"

#include "text_forms.h"

#include <QLocale>

std::string frequencySeparator()
{
    const QLocale locale;
    return separatorForAsciiDigits(locale.decimalPoint().toStdString(), locale.zeroDigit().toStdString());
}
