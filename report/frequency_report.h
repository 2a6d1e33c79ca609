#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// One row of the frequency table as it shows: the captions of its code, hex,
// count and frequency cells. Count and frequency are empty where the table
// shows no count.
struct ReportRow {
    QString code;
    QString hex;
    QString count;
    QString frequency;
};

// What the main window shows at the moment of saving, as its controls hold
// it. Nothing here comes from the counts behind the display.
struct ReportSnapshot {
    QString sourceFile;    // the source box's text; a name's bytes as textOfBytes keeps them
    QString totalChars;    // the captions of the two totals
    QString selectedChars;
    std::optional<int> subsetOption; // the first selected option, 0 to 2; none when none is
    std::array<ReportRow, 256> rows; // indexed by code
};

// The report's bytes: ten head lines and the 256 rows in code order, 266
// lines, or 265 when no subset option is selected (its line is left out).
// Every line ends in CR LF, the last one too; no byte-order mark. Fields are
// copied unchanged: the source path as the file system's bytes for it, so
// the report names the very file; the captions in the local 8-bit encoding.
QByteArray formatReport(const ReportSnapshot& snapshot);
