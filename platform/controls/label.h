#pragma once

#include <QAccessible>
#include <QCursor>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

// A label: plain text (no mnemonics, no markup) that wraps at its width,
// over its BackColor when opaque, cut off at its edges. It is a child widget
// of its window, laid at a rectangle in the window's logical pixels that
// need not be whole. A label may be made a link: Tab reaches it and marks
// it, and the mouse, Space, Return and Enter press it.
class Label : public QWidget {
    Q_OBJECT
public:
    enum class Alignment { Left, Right, Center };

    Label(QWidget& window, const QRectF& bounds);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    std::uint32_t BackColor() const { return backColor_; }
    std::uint32_t ForeColor() const { return foreColor_; }
    void setBackColor(std::uint32_t bgr);
    void setForeColor(std::uint32_t bgr);
    bool Opaque() const { return opaque_; }
    void setOpaque(bool opaque);
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment alignment);
    // Where it paints, in the window's logical pixels.
    QRectF pixelBounds() const { return bounds_; }

    // Makes the label a link that shows pointer while the pointer is over it.
    void makeLink(const QCursor& pointer);
    const std::optional<QCursor>& mouseIcon() const { return mouseIcon_; }
    void setOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
    const std::function<void()>& onClick() const { return onClick_; }

    // What screen readers are told besides the text. name stands before
    // what the label shows ("Legend: A-Z"), or in its place while it shows
    // nothing; a label named by what it shows, as a number is, reads that
    // alone. Decorative labels are left out of what screen readers walk.
    QString name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    void setNamedByCaption(bool named) { namedByCaption_ = named; }
    QString accessibleText() const;
    // The role it plays where static text does not say it (a link).
    QAccessible::Role role() const { return role_; }
    void setRole(QAccessible::Role role) { role_ = role; }
    bool decorative() const { return decorative_; }
    void setDecorative(bool decorative) { decorative_ = decorative; }
    // The caption that names this label, and the label that this one names.
    const Label* labelledBy() const { return labelledBy_; }
    const Label* labelFor() const { return labelFor_; }
    friend void relateLabel(Label& caption, Label& control);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Hears the window change its pointer, to the hourglass and back.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The rectangle it covers: its bounds, and for a link the focus mark
    // round them.
    void place();
    bool onLink(const QPointF& point) const;
    void showPointer();
    void paintCaption(QPainter& painter) const;
    void paintFocusMark(QPainter& painter) const;

    QString caption_;
    QRectF bounds_;
    std::uint32_t backColor_;
    std::uint32_t foreColor_;
    bool opaque_ = true;
    Alignment alignment_ = Alignment::Left;
    std::function<void()> onClick_;
    std::optional<QCursor> mouseIcon_;
    bool pressed_ = false;
    bool pointerOnLink_ = false;
    QString name_;
    QAccessible::Role role_ = QAccessible::StaticText;
    bool namedByCaption_ = false;
    bool decorative_ = false;
    const Label* labelledBy_ = nullptr;
    const Label* labelFor_ = nullptr;
};

// Makes caption the label of control for screen readers, both ways.
void relateLabel(Label& caption, Label& control);
