#pragma once

#include <QByteArray>

class frmMain;

// Puts source in the source box as given (see frmMain::setSourceFile) and,
// once the window is shown, calculates it as a click on "Calculate
// Frequencies" does, with the same messages over the window.
void calculateAtStart(frmMain& window, const QByteArray& source);
