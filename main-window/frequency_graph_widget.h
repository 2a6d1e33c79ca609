#pragma once

#include "units.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

class FrequencyTableModel;
class QAccessibleInterface;

// The bar graph as one widget: a bar for each code, standing side by side
// from a common foot up to the top the model gives it, all painted in one
// batch. The legend that the window paints under the graph hides the feet of
// the bars, so the widget ends where the legend begins. The mouse goes
// through to the window. Screen readers read it as one picture of the
// designed area, described by what the window says of it.
class FrequencyGraphWidget : public QWidget {
    Q_OBJECT
public:
    // The bars' places in the window's units, as designed for the first bar:
    // across at x, from foot down to restTop. legendTop is the first row of
    // the window's pixels that the legend covers; picture is the graph's
    // designed area in the window's pixels. model must outlive the graph.
    FrequencyGraphWidget(QWidget& window, const FormScale& scale, FrequencyTableModel& model, float x,
                         float foot, float restTop, int legendTop, const QRectF& picture);
    ~FrequencyGraphWidget() override;

    FrequencyTableModel& model() const { return *model_; }
    static constexpr int kBarWidth = 3;
    static constexpr std::uint32_t kBarColor = 0xC00000;

    float x1(int code) const { return x1_[std::size_t(code)]; }
    float x2(int code) const { return x2_[std::size_t(code)]; }
    float foot() const { return foot_; }
    void setX1(int code, float x);
    void setX2(int code, float x);
    // Where a bar paints, in the window's logical pixels.
    QRectF barBounds(int code) const;
    // What screen readers are told of a bar, made when first asked for.
    QAccessibleInterface* accessibleBar(int code) const;
    QRectF picture() const { return picture_; }
    // What screen readers are told of the graph; set quietly, the window
    // tells them of the change.
    QString description() const { return description_; }
    void setDescription(const QString& description) { description_ = description; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF barBounds(int code, float top) const;
    void updateArea(const QRectF& area);

    FrequencyTableModel* model_;
    FormScale scale_;
    float foot_;
    QRectF picture_;
    QString description_;
    std::array<float, 256> x1_, x2_;
    mutable std::vector<unsigned> accessibleIds_;
};

// A bar by the window's name for it, lnFreq(i): where it stands and how tall.
class BarHandle {
public:
    BarHandle(FrequencyGraphWidget& graph, int code) : graph_(&graph), code_(code) {}
    float X1() const { return graph_->x1(code_); }
    float X2() const { return graph_->x2(code_); }
    float Y1() const { return graph_->foot(); }
    float Y2() const;
    void setX1(float x) const { graph_->setX1(code_, x); }
    void setX2(float x) const { graph_->setX2(code_, x); }
    void setY2(float y) const;
    std::int16_t BorderWidth() const { return FrequencyGraphWidget::kBarWidth; }
    std::uint32_t BorderColor() const { return FrequencyGraphWidget::kBarColor; }
    QRectF pixelBounds() const { return graph_->barBounds(code_); }

private:
    FrequencyGraphWidget* graph_;
    int code_;
};

// The bars by the window's name for them, lnFreq. They reach the graph once
// the window has made it.
class BarHandles {
public:
    explicit BarHandles(FrequencyGraphWidget* const& graph) : graph_(&graph) {}
    BarHandle operator()(int code) const { return {**graph_, code}; }
    int count() const { return 256; }

private:
    FrequencyGraphWidget* const* graph_;
};
