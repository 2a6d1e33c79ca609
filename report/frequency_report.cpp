#include "frequency_report.h"

#include "web_addresses.h"

#include <QFile>

namespace {

const char* const kSubsetLines[] = {
    "Datasubset:     All Characters",
    "Datasubset:     A-Z Only",
    "Datasubset:     A-Z + Printable Chars, No Extended Chars",
};

void line(QByteArray& out, const QByteArray& text)
{
    out += text;
    out += "\r\n";
}

} // namespace

QByteArray formatReport(const ReportContent& content)
{
    QByteArray out;
    line(out, QByteArray("Tallivor by ") + kMakerHost);
    line(out, {});
    line(out, "File:    \t" + QFile::encodeName(content.sourceFile));
    line(out, "Total Chars:    " + content.totalChars.toUtf8());
    line(out, {});
    if (content.subsetOption >= 0 && content.subsetOption < 3)
        line(out, kSubsetLines[content.subsetOption]);
    line(out, "Subset Chars:   " + content.selectedChars.toUtf8());
    line(out, {});
    line(out, "Code    Hex     Character Count  Character Frequency");
    line(out, QByteArray(53, '-'));
    for (std::size_t i = 0; i < 256; ++i)
        line(out, content.code[i].toUtf8() + '\t' + content.hex[i].toUtf8() + '\t' +
                      content.count[i].toUtf8() + "\t         " + content.frequency[i].toUtf8());
    return out;
}
