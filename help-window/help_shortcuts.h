#pragma once

class frmHelp;

// Escape and Ctrl+W close the help window, as its close box does; Ctrl+Q
// ends the program from here too.
void installHelpShortcuts(frmHelp& window);
