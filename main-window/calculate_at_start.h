#pragma once

#include <QString>

class frmMain;

// Puts source in the source box exactly as given and, once the window is
// shown, calculates it as a click on "Calculate Frequencies" does, with the
// same messages over the window.
void calculateAtStart(frmMain& window, const QString& source);
