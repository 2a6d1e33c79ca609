#pragma once

#include <QString>
#include <optional>

class QWidget;

// Asks the user for a file name, existing or new; nothing when cancelled.
// Windows are handed one, so tests can answer in place of a user.
class OpenFilePrompt {
public:
    virtual ~OpenFilePrompt() = default;
    virtual std::optional<QString> askForFile(QWidget* owner, const QString& title,
                                              const QString& lastFileName) = 0;
};

// The real prompt: Qt's file dialog, accepting names that do not exist yet,
// without a filter and without asking about overwriting.
class QtOpenFilePrompt : public OpenFilePrompt {
public:
    std::optional<QString> askForFile(QWidget* owner, const QString& title,
                                      const QString& lastFileName) override;
};

// Qt's file dialog keeps the folders it showed in the user's settings and
// opens there next time. This program keeps nothing between runs: after this
// call such settings are neither read nor written. Call once at start.
void keepNoDialogHistory();

// A file dialog object that keeps its state between showings: FileName is
// the last confirmed path (empty at first) and a cancel leaves it unchanged.
class CommonDialog {
public:
    CommonDialog(QWidget& owner, OpenFilePrompt& prompt) : owner_(&owner), prompt_(&prompt) {}

    QString DialogTitle;
    QString FileName;

    // Shows the open-file dialog modally; returns when it is closed.
    void ShowOpen();

private:
    QWidget* owner_;
    OpenFilePrompt* prompt_;
};
