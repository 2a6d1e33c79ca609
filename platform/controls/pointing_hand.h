#pragma once

#include <QCursor>

// The links' mouse pointer: the 32 x 32 pointing hand with its hot spot at
// the fingertip, or the system's pointing hand where the picture is missing.
QCursor pointingHandCursor();
