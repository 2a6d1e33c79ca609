#include "web_page.h"

#include "hyperlink_module.h"

#include <QByteArray>
#include <QString>

void openWebPage(AddressOpener& opener, QWidget* owner, const QString& address)
{
    const QByteArray file = address.toLocal8Bit();
    HyperlinkModule::ShellExecuteA(opener, owner, "open", file.constData(), "1", "1", 1);
}
