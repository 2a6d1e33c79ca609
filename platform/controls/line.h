#pragma once

#include <QPointF>
#include <QWidget>
#include <cstdint>

// A straight line between two points in the window's logical pixels,
// width pixels thick, in front of what was made before it. It is only
// drawn: the mouse goes through it to what lies beneath, and screen readers
// leave it out.
class Line : public QWidget {
    Q_OBJECT
public:
    Line(QWidget& window, QPointF from, QPointF to, std::uint32_t bgr, int width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF from_, to_;
    std::uint32_t color_;
    int width_;
};
