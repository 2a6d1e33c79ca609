#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// What the main window shows at the moment of saving, as its controls hold it.
struct ReportContent {
    QString sourceFile;    // the source box's text
    QString totalChars;    // the totals' captions
    QString selectedChars;
    int subsetOption = 0;  // index of the first selected option, -1 for none
    std::array<QString, 256> code, hex, count, frequency; // the table's captions
};

// The report's bytes: CR LF after every line, the last one too; 266 lines,
// or 265 when no subset option is selected. The source path is written as
// the file system's bytes for it, so the report names the very file.
QByteArray formatReport(const ReportContent& content);
