#include "address_opener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopAddressOpener::open(QWidget*, const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}
