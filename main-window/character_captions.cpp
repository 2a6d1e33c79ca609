#include "character_captions.h"

namespace {

// Windows-1252 from 0x80 to 0x9F; 0 where the code page defines nothing.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

QString characterOfCode(int code)
{
    if (code >= 0x80 && code < 0xA0 && kHighControls[code - 0x80] != 0)
        return QString(QChar(kHighControls[code - 0x80]));
    return QString(QChar(char16_t(code)));
}
