#pragma once

#include <QFont>
#include <QString>

// A font at its designed point size, fixed to the pixel size it has at 96 dpi
// so that the layout does not depend on the screen's dpi setting.
QFont designFont(const QString& family, double points, bool bold = false, bool underline = false);
// The designed font of most captions and buttons of both windows.
QFont verdana(double points, bool bold = false, bool underline = false);

// Starts reading the system's font configuration on a thread of its own.
// Called before the display is opened, which takes about as long: the window
// can be laid out only once both are done, so its first paint comes sooner.
void readFontConfigurationAhead();

// Maps the designed families onto fonts that Debian ships where they are
// absent, once the font configuration has been read.
void installFontSubstitutions();
