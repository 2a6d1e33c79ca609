// "Help": shows the help window.
#include "frm_main.h"

void frmMain::btnHelp_Click() {}
