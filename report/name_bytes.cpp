#include "name_bytes.h"

namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscapedByte(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

} // namespace

std::size_t utf8SequenceLength(const char* text, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return 1;
    // The second byte's range depends on the lead: it rules out overlong
    // forms (E0, F0), surrogates (ED) and code points past U+10FFFF (F4).
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (size < length || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!isContinuation(p[i]))
            return 0;
    return length;
}

QString textOfBytes(const QByteArray& name)
{
    QString text;
    text.reserve(name.size());
    qsizetype i = 0;
    while (i < name.size()) {
        const std::size_t length = utf8SequenceLength(name.constData() + i, std::size_t(name.size() - i));
        if (length == 0) {
            text += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(name[i])));
            ++i;
            continue;
        }
        text += QString::fromUtf8(name.constData() + i, qsizetype(length));
        i += qsizetype(length);
    }
    return text;
}

QByteArray bytesOfText(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0; // of the text not yet written
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i; // a pair: one code point, UTF-8 as it stands
            continue;
        }
        if (!isEscapedByte(unit))
            continue;
        bytes += QStringView(text).mid(start, i - start).toUtf8();
        bytes += char(unit - kEscapeBase);
        start = i + 1;
    }
    bytes += QStringView(text).mid(start).toUtf8();
    return bytes;
}
