#pragma once

// Installs the one factory that makes what screen readers see of the
// platform's own widgets: every Form, label, option group and picture
// box. Call it
// before the first window is made; calling it again does nothing.
void installAccessibility();
