#pragma once

#include <QAccessibleWidget>

class PictureBox;

// A picture box with a click handler is a link that the press action
// clicks; one without is a picture.
class PictureBoxAccessible : public QAccessibleWidget {
public:
    explicit PictureBoxAccessible(PictureBox* box);

    QAccessible::Role role() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    PictureBox* box() const;
    bool clickable() const;
};
