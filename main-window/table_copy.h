#pragma once

#include <QString>

class frmMain;

// The table as a spreadsheet takes it: a header line
// "Code<TAB>Hex<TAB>Character<TAB>Count<TAB>Frequency", the 256 rows as
// the table shows them (a character as a screen reader names it, so that no
// control code or blank gets into a cell), then the lines "Total Chars",
// "Selected" and "Largest frequency" with their captions. Every line ends in
// LF.
QString tableAsText(const frmMain& window);

// Puts tableAsText on the clipboard on Ctrl+C, unless a text box with a
// selection has the focus, and from a context menu "Copy Table" over the
// table, the graph and the totals.
void installTableCopy(frmMain& window);
