#include "calculate_at_start.h"

#include "frm_main.h"

#include <QPushButton>
#include <QTimer>

void calculateAtStart(frmMain& window, const QByteArray& source)
{
    window.setSourceFile(source);
    // Queued, so the window is on screen before a message box asks over it.
    QTimer::singleShot(0, window.btnCalcFrequency, &QPushButton::click);
}
