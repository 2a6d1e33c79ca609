// "Help": shows the help window.
#include "frm_main.h"

#include "frm_help.h"

void frmMain::btnHelp_Click()
{
    // A window the user has closed is on its way out: a new one takes its place.
    if (!help_ || !help_->isVisible()) {
        // No parent: the help window is a top-level window of its own and
        // keeps the program running while it is open, even after the main
        // window has been closed.
        help_ = new frmHelp(services_.addressOpener);
        help_->setAttribute(Qt::WA_DeleteOnClose);
        // The main window's end takes an open help window with it.
        connect(this, &QObject::destroyed, help_, [help = help_.data()] { delete help; });
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

frmHelp* frmMain::helpWindow() const
{
    return help_;
}
