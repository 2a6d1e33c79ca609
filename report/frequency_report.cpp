#include "frequency_report.h"

#include "name_bytes.h"
#include "web_addresses.h"

namespace {

constexpr const char* kSubsetLines[] = {
    "Datasubset:     All Characters",
    "Datasubset:     A-Z Only",
    "Datasubset:     A-Z + Printable Chars, No Extended Chars",
};

void appendLine(QByteArray& out, const QByteArray& text)
{
    out += text;
    out += "\r\n";
}

QByteArray rowLine(const ReportRow& row)
{
    // The nine blanks after the third TAB stay when the count is empty, so
    // the frequency column starts under its heading in any case.
    return row.code.toLocal8Bit() + '\t' + row.hex.toLocal8Bit() + '\t' + row.count.toLocal8Bit() +
           "\t         " + row.frequency.toLocal8Bit();
}

} // namespace

QByteArray formatReport(const ReportSnapshot& snapshot)
{
    QByteArray out;
    out.reserve(8192);
    appendLine(out, QByteArray("Tallivor by ") + kMakerHost);
    appendLine(out, {});
    appendLine(out, "File:    \t" + bytesOfText(snapshot.sourceFile));
    appendLine(out, "Total Chars:    " + snapshot.totalChars.toLocal8Bit());
    appendLine(out, {});
    if (const auto option = snapshot.subsetOption; option && *option >= 0 && *option < 3)
        appendLine(out, kSubsetLines[*option]);
    appendLine(out, "Subset Chars:   " + snapshot.selectedChars.toLocal8Bit());
    appendLine(out, {});
    appendLine(out, "Code    Hex     Character Count  Character Frequency");
    appendLine(out, QByteArray(53, '-'));
    for (const ReportRow& row : snapshot.rows)
        appendLine(out, rowLine(row));
    return out;
}
