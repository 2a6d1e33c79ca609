#include "address_opener.h"
#include "hyperlink_module.h"
#include "recording_address_opener.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(HyperlinkModule, HandsTheAddressAndOwnerOverOncePerCall)
{
    RecordingAddressOpener opener;
    QWidget owner;
    HyperlinkModule::ShellExecuteA(opener, &owner, "open", "http://quorvex.example/", "1", "1", 1);
    HyperlinkModule::ShellExecuteA(opener, &owner, "open", "http://quorvex.example/", "1", "1", 1);
    ASSERT_EQ(opener.requests.size(), 2u);
    for (const auto& request : opener.requests) {
        EXPECT_EQ(request.owner, &owner);
        EXPECT_EQ(request.address, "http://quorvex.example/");
    }
}

// Stands in for the user's browser: Qt hands it every http address that
// QDesktopServices is asked to open.
class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

TEST(DesktopAddressOpener, OpensTheAddressInTheBrowser)
{
    BrowserStandIn browser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
    DesktopAddressOpener opener;
    opener.open(nullptr, QStringLiteral("http://store.example/exec/obidos/redirect-home/quorvex-20"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_EQ(browser.opened[0], QUrl("http://store.example/exec/obidos/redirect-home/quorvex-20"));
}

} // namespace

#include "hyperlink_module_test.moc"
