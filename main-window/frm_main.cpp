#include "frm_main.h"

#include "web_addresses.h"
#include "web_page.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The window's own scale: twips per unit across and down.
constexpr FormScale kMainScale{12.451174, 12.285160};

} // namespace

frmMain::frmMain(const WindowServices& services)
    : Form(kMainScale, 863, 680),
      cdbSourceFile(*this, services.filePrompt),
      cdbDestinationFile(*this, services.filePrompt),
      services_(services)
{
    designLayout();
    connectHandlers();
    installShortcuts();
    installTableCopy();
    Form_Load();
    placeOnScreenTwips(225, 330);
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    createObjects();
    classifyCharacters();
    resetObjects();
}

void frmMain::classifyCharacters()
{
    ::classifyCharacters(state);
}

void frmMain::connectHandlers()
{
    // User input is discarded during a calculation, but a screen reader's
    // "press" reaches a button without any input event: no handler may start
    // inside another.
    const auto whenIdle = [this](void (frmMain::*handler)()) {
        return [this, handler] {
            if (busy_ == Busy::No)
                (this->*handler)();
        };
    };
    connect(btnCalcFrequency, &QPushButton::clicked, this, whenIdle(&frmMain::btnCalcFrequency_Click));
    connect(btnSaveFrequencies, &QPushButton::clicked, this,
            whenIdle(&frmMain::btnSaveFrequencies_Click));
    connect(btnSelectSource, &QPushButton::clicked, this, whenIdle(&frmMain::btnSelectSource_Click));
    connect(btnSelectDestination, &QPushButton::clicked, this,
            whenIdle(&frmMain::btnSelectDestination_Click));
    connect(btnHelp, &QPushButton::clicked, this, whenIdle(&frmMain::btnHelp_Click));
    lblQuorvex->setOnClick(whenIdle(&frmMain::lblQuorvex_Click));
}

void frmMain::lblQuorvex_Click()
{
    openWebPage(services_.addressOpener, this, makerHomePage());
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The busy handler still needs the window: it closes the window itself
    // once it has unwound. A count is stopped (or left behind, when its
    // read never returns); a save is finished first.
    if (busy_ != Busy::No) {
        if (busy_ == Busy::Counting)
            *stopRequested_ = true;
        else
            closeAfterSave_ = true;
        event->ignore();
        return;
    }
    Form::closeEvent(event);
}
