#pragma once

#include <QString>

// The texts of the help window's three boxes, exactly as they are shown:
// every line ends in CR LF, the last one too.

// How to use the program: 7 lines, 378 characters.
QString instructionsText();
// How the program may be passed on, and the store link: one line of 245
// characters, the last three of them blanks; 247 characters.
QString distributionText();
// The notice of rights and the disclaimer of warranty: 4 lines, 199 characters.
QString warrantyText();
