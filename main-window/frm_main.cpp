#include "frm_main.h"

#include "web_addresses.h"
#include "hyperlink_module.h"

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
    Form_Load();
    // Designed with the client area's top-left corner 225 and 330 twips from
    // the screen's.
    move(15, 22);
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
    connect(btnCalcFrequency, &QPushButton::clicked, this, &frmMain::btnCalcFrequency_Click);
    connect(btnSaveFrequencies, &QPushButton::clicked, this, &frmMain::btnSaveFrequencies_Click);
    connect(btnSelectSource, &QPushButton::clicked, this, &frmMain::btnSelectSource_Click);
    connect(btnSelectDestination, &QPushButton::clicked, this, &frmMain::btnSelectDestination_Click);
    connect(btnHelp, &QPushButton::clicked, this, &frmMain::btnHelp_Click);
    lblQuorvex->setOnClick([this] { lblQuorvex_Click(); });
}

void frmMain::lblQuorvex_Click()
{
    const QByteArray address = makerHomePage().toLocal8Bit();
    HyperlinkModule::ShellExecuteA(services_.addressOpener, this, "open", address.constData(), "1",
                                   "1", 1);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // A calculation in progress finishes first; its handler still needs the window.
    if (calculating_)
        event->ignore();
    else
        Form::closeEvent(event);
}
