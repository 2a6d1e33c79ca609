#include "web_addresses.h"

#include <QUrl>
#include <gtest/gtest.h>

namespace {

TEST(WebAddresses, HomePageAndStorePageWithTheTag)
{
    EXPECT_EQ(makerHomePage(), "http://quorvex.example/");
    EXPECT_EQ(storePage(), "http://store.example/exec/obidos/redirect-home/quorvex-20");
}

// Both are plain, valid HTTP addresses on hosts of the reserved .example
// domain, with nothing after the path.
TEST(WebAddresses, AreValidHttpAddressesOnReservedHosts)
{
    for (const QString& address : {makerHomePage(), storePage()}) {
        const QUrl url(address, QUrl::StrictMode);
        SCOPED_TRACE(address.toStdString());
        EXPECT_TRUE(url.isValid());
        EXPECT_EQ(url.scheme(), "http");
        EXPECT_TRUE(url.host().endsWith(QStringLiteral(".example")));
        EXPECT_FALSE(url.hasQuery());
        EXPECT_FALSE(url.hasFragment());
        EXPECT_EQ(url.toString(QUrl::FullyEncoded), address);
    }
    EXPECT_EQ(QUrl(makerHomePage()).host(), kMakerHost);
    EXPECT_EQ(QUrl(storePage()).host(), kStoreHost);
}

} // namespace
