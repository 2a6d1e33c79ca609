#pragma once

#include <QString>

// The one character of code i in the Windows-1252 code page: ASCII below
// 128, the code page's own characters from 128 to 159 (where it defines one)
// and Latin-1 above. Codes without a character keep their code point.
QString characterOfCode(int code);

// The character of code i as a screen reader says it: the short name of a
// control code ("NUL", "LF", "DEL"; the C1 name where the code page defines
// no character), a name for a blank or invisible character, else the
// character itself. Never a control character.
QString characterName(int code);

// A caption as the table paints it: control codes become visible pictures
// of themselves rather than nothing or a line break.
QString visibleText(const QString& caption);
