#pragma once

#include <QLabel>
#include <functional>

// A picture box: its picture at the picture's own size from the top-left
// corner, never scaled, cut off at the box's edges, on a plain background
// and without a border. It can take the focus by the keyboard. A box with a
// click handler calls it when the left button is pressed and released over
// it; a box without one does nothing on a click.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    // picturePath names a picture in the program's resources; pictureSize
    // is its size in logical pixels, taken at the screen's pixel density.
    PictureBox(QWidget* parent, const QString& picturePath, QSize pictureSize);

    void setBackground(const QColor& color);
    void setOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> onClick_;
    bool pressed_ = false;
};
