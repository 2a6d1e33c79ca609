#include "shortcuts.h"

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

void installShortcuts(frmMain& window)
{
    pressOn(window, QKeySequence(Qt::Key_F1), window.btnHelp);
    pressOn(window, QKeySequence(Qt::CTRL | Qt::Key_O), window.btnSelectSource);
    pressOn(window, QKeySequence(Qt::CTRL | Qt::Key_S), window.btnSaveFrequencies);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), &window);
    QObject::connect(quit, &QShortcut::activated, &window, &QApplication::closeAllWindows);
}
