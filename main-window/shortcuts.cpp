#include "frm_main.h"

#include <QApplication>
#include <QPushButton>
#include <QShortcut>

namespace {

void pressOn(frmMain& window, const QKeySequence& keys, QPushButton* button)
{
    auto* shortcut = new QShortcut(keys, &window);
    QObject::connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
}

} // namespace

void frmMain::installShortcuts()
{
    pressOn(*this, QKeySequence(Qt::Key_F1), btnHelp);
    pressOn(*this, QKeySequence(Qt::CTRL | Qt::Key_O), btnSelectSource);
    pressOn(*this, QKeySequence(Qt::CTRL | Qt::Key_S), btnSaveFrequencies);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    QObject::connect(quit, &QShortcut::activated, this, &QApplication::closeAllWindows);
}
