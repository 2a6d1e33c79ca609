#pragma once

#include <QString>

// The maker's and the store's web addresses, shared by the links and by the
// first line of the frequency report. Hosts under the reserved .example
// domain.
inline constexpr const char* kMakerHost = "quorvex.example";
inline constexpr const char* kStoreHost = "store.example";
inline constexpr const char* kAffiliateTag = "quorvex-20";

inline QString makerHomePage()
{
    return QStringLiteral("http://%1/").arg(QLatin1String(kMakerHost));
}

inline QString storePage()
{
    return QStringLiteral("http://%1/exec/obidos/redirect-home/%2")
        .arg(QLatin1String(kStoreHost), QLatin1String(kAffiliateTag));
}
