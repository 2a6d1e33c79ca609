#include "frm_help.h"

#include "help_shortcuts.h"
#include "hyperlink_module.h"
#include "picture_box.h"
#include "web_addresses.h"

#include <QByteArray>

frmHelp::frmHelp(AddressOpener& opener)
    : Form(kTwipScale, 472, 422), opener_(opener)
{
    designLayout();
    Label2->setOnClick([this] { Label2_Click(); });
    AmazonLink->setOnClick([this] { AmazonLink_Click(); });
    installHelpShortcuts(*this);
    placeOnScreenTwips(2670, 2235);
}

frmHelp::~frmHelp() = default;

void frmHelp::Label2_Click()
{
    const QByteArray address = makerHomePage().toLocal8Bit();
    HyperlinkModule::ShellExecuteA(opener_, this, "open", address.constData(), "1", "1", 1);
}

void frmHelp::AmazonLink_Click()
{
    const QByteArray address = storePage().toLocal8Bit();
    HyperlinkModule::ShellExecuteA(opener_, this, "open", address.constData(), "1", "1", 1);
}
