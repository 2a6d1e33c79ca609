#include "frm_help.h"

#include "web_page.h"
#include "picture_box.h"
#include "web_addresses.h"


frmHelp::frmHelp(AddressOpener& opener)
    : Form(kTwipScale, 472, 422), opener_(opener)
{
    designLayout();
    Label2->setOnClick([this] { Label2_Click(); });
    AmazonLink->setOnClick([this] { AmazonLink_Click(); });
    installShortcuts();
    placeOnScreenTwips(2670, 2235);
}

frmHelp::~frmHelp() = default;

void frmHelp::Label2_Click()
{
    openWebPage(opener_, this, makerHomePage());
}

void frmHelp::AmazonLink_Click()
{
    openWebPage(opener_, this, storePage());
}
