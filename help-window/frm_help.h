#pragma once

#include "form.h"
#include "label.h"

class AddressOpener;
class Line;
class PictureBox;
class QPlainTextEdit;

// The help window: how to use the program, how it may be passed on and that
// no warranty is given, with two links, the maker's web address and the
// store's badge. A top-level window of its own, working in twips; it holds
// no state besides its controls.
class frmHelp : public Form {
    Q_OBJECT
public:
    // Links are opened through opener, which must outlive the window.
    explicit frmHelp(AddressOpener& opener);
    ~frmHelp() override;

    // Controls, by the names the window gives them.
    Label* Label1;
    Label* Label2;
    Line* Line1;
    Label* Label3;
    PictureBox* AmazonLink;
    QPlainTextEdit* Text2;
    Label* Label5;
    QPlainTextEdit* Text3;
    Label* Label4;
    QPlainTextEdit* Text1;
    PictureBox* Picture1;

public slots:
    // Opens the maker's home page.
    void Label2_Click();
    // Opens the store's page under the maker's affiliate tag.
    void AmazonLink_Click();

private:
    void designLayout();
    void designTitle();
    void designSections();
    void setFocusOrder();
    // Escape and Ctrl+W close the window, as its close box does; Ctrl+Q
    // ends the program from here too.
    void installShortcuts();

    AddressOpener& opener_;
};
