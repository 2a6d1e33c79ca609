#pragma once

class frmMain;

// Keys for the window's commands, none shown in a caption: F1 "Help",
// Ctrl+O the source's "Select ", Ctrl+S "Save Frequencies" (each as a click
// on its button, so questions and all), Ctrl+Q ends the program.
void installShortcuts(frmMain& window);
