#include "character_captions.h"

#include <utility>

namespace {

// Windows-1252 from 0x80 to 0x9F; 0 where the code page defines nothing.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

constexpr const char* kControlNames[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

// Codes above the first 32 that a reader could not say as they show: DEL,
// the codes from 0x80 to 0x9F that Windows-1252 leaves undefined (they keep
// their C1 control code points) and the blank or invisible characters.
constexpr std::pair<int, const char*> kNamedCodes[] = {
    {0x20, "space"}, {0x7F, "DEL"},           {0x81, "HOP"},          {0x8D, "RI"},
    {0x8F, "SS3"},   {0x90, "DCS"},           {0x9D, "OSC"},          {0xA0, "no-break space"},
    {0xAD, "soft hyphen"},
};

} // namespace

QString characterOfCode(int code)
{
    if (code >= 0x80 && code < 0xA0 && kHighControls[code - 0x80] != 0)
        return QString(QChar(kHighControls[code - 0x80]));
    return QString(QChar(char16_t(code)));
}

QString characterName(int code)
{
    if (code >= 0 && code < 0x20)
        return QLatin1String(kControlNames[code]);
    for (const auto& [named, name] : kNamedCodes)
        if (named == code)
            return QLatin1String(name);
    return characterOfCode(code);
}

QString visibleText(const QString& caption)
{
    QString text = caption;
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(char16_t(0x2400 + code)); // the Unicode control pictures
        else if (code == 0x7F)
            c = QChar(char16_t(0x2421));
        else if (code >= 0x80 && code < 0xA0)
            c = QChar(char16_t(0xFFFD)); // no character of its own
    }
    return text;
}
