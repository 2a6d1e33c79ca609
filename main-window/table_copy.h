#pragma once

#include "byte_statistics.h"

#include <QString>
#include <cstdint>

class frmMain;

// The table as a spreadsheet takes it: a header line
// "Code<TAB>Hex<TAB>Character<TAB>Count<TAB>Frequency", the 256 rows as
// the table shows them (a character as a screen reader names it, so that no
// control code or blank gets into a cell), then the lines "Total Chars",
// "Selected" and "Largest frequency" with their captions. Every line ends in
// LF.
QString tableAsText(const frmMain& window);

// The number of bytes counted and the six figures, as a spreadsheet takes
// them, one "name<TAB>value" line each, in this order: "Total Chars",
// "Entropy", "Chi-square", "Chi-square percent", "Mean", "Monte Carlo pi",
// "Serial correlation". A value is the shortest text that reads back as the
// same number, with the locale's decimal separator, as the table's; empty
// where the figure is undefined. Every line ends in LF.
QString statisticsAsText(std::int64_t bytes, const ByteFigures& figures);

// What "Copy Statistics" says where the source no longer gives the counts
// that the table shows.
inline const QString kChangedSinceCountedMessage = QStringLiteral(
    "The source file has changed since it was counted.  Calculate Frequencies again to copy its statistics.");

