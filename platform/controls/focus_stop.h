#pragma once

#include <QWidget>
#include <functional>


// An invisible child widget that gives something the form paints (a link
// label) a place in the focus chain. It lets the mouse through to
// the form and paints nothing but a focus mark, and that only while it has
// the focus, so the window looks as designed until the keyboard gets there.
// To screen readers it is the painted thing it stands for.
class FocusStop : public QWidget {
    Q_OBJECT
public:
    explicit FocusStop(QWidget& form);

protected:
    // What the mark goes round, in the form's pixels.
    virtual QRectF markedArea() const = 0;
    // Covers area and the mark round it.
    void cover(const QRectF& area);
    // Repaints the mark round area, in the form's pixels.
    void updateMarkAround(const QRectF& area);

    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QWidget* form_;
};

// The focus stop of a label with a click handler: Space, Return and Enter
// press it, as a click does; a key held down presses it once.
class LabelFocusStop : public FocusStop {
    Q_OBJECT
public:
    LabelFocusStop(QWidget& form, const class Label& label);

protected:
    QRectF markedArea() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const Label* label_;
};
