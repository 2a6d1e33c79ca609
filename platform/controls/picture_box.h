#pragma once

#include <QLabel>
#include <functional>

// A picture box: its picture at the picture's own size from the top-left
// corner, never scaled, cut off at the box's edges, on a plain background
// and without a border. It can take the focus by the keyboard. A box with a
// click handler calls it when the left button is pressed and released over
// it, when Space, Return or Enter is pressed while it has the focus, and on
// the press action of screen readers, to whom it is a link; a box without
// one does nothing on a click and is a picture to them.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    // picturePath names a picture in the program's resources; pictureSize
    // is its size in logical pixels, taken at the screen's pixel density.
    PictureBox(QWidget* parent, const QString& picturePath, QSize pictureSize);

    void setBackground(const QColor& color);
    void setOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
    const std::function<void()>& onClick() const { return onClick_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> onClick_;
    bool pressed_ = false;
};
