#include "frequency_graph_widget.h"

#include "colors.h"
#include "frequency_table_model.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLocale>
#include <QPainter>
#include <QPaintEvent>
#include <QPen>

namespace {

// A raised bar as screen readers read it: a picture named for its code
// whose value is the frequency that the table shows for it. It belongs to
// the window, beside the graph, as the window reads it.
class BarAccessible : public QAccessibleInterface, public QAccessibleValueInterface {
public:
    BarAccessible(const FrequencyGraphWidget& graph, int code) : graph_(&graph), code_(code) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return graph_->window()->windowHandle(); }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(graph_->parentWidget());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return QStringLiteral("Bar of code %1").arg(code_);
        case QAccessible::Value:
            return shown();
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const QRect local = graph_->barBounds(code_).toAlignedRect();
        return QRect(graph_->parentWidget()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Graphic; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : nullptr;
    }

    // QAccessibleValueInterface: the frequency shown, which only the program
    // changes. An empty cell shows no number: 0. Where the locale's own
    // digits are not ASCII, the table carries ASCII digits and a full stop,
    // which only C reads.
    QVariant currentValue() const override
    {
        const QString text = shown();
        bool ok = false;
        const double value = QLocale().toDouble(text, &ok);
        return ok ? value : QLocale::c().toDouble(text);
    }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 1.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    QString shown() const { return graph_->model().text(code_, FrequencyTableModel::Frequency); }

    const FrequencyGraphWidget* graph_;
    int code_;
};

// The graph as one picture where it is designed to lie.
class GraphAccessible : public QAccessibleWidget {
public:
    explicit GraphAccessible(FrequencyGraphWidget* graph) : QAccessibleWidget(graph, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Description ? graph()->description() : QAccessibleWidget::text(t);
    }
    QRect rect() const override
    {
        const QRect local = graph()->picture().toAlignedRect();
        return QRect(graph()->parentWidget()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        // Shown with the window, as what the window paints is.
        state.invisible = graph()->isHidden();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType) override { return nullptr; }

private:
    FrequencyGraphWidget* graph() const { return static_cast<FrequencyGraphWidget*>(widget()); }
};

QAccessibleInterface* graphFactory(const QString&, QObject* object)
{
    if (auto* graph = qobject_cast<FrequencyGraphWidget*>(object))
        return new GraphAccessible(graph);
    return nullptr;
}

// Shows screen readers every graph as one picture.
void installGraphAccessibility()
{
    static const bool installed = (QAccessible::installFactory(graphFactory), true);
    (void)installed;
}

} // namespace

FrequencyGraphWidget::FrequencyGraphWidget(QWidget& window, const FormScale& scale,
                                           FrequencyTableModel& model, float x, float foot,
                                           float restTop, int legendTop, const QRectF& picture)
    : QWidget(&window), model_(&model), scale_(scale), foot_(foot), picture_(picture),
      accessibleIds_(256, 0)
{
    installGraphAccessibility();
    x1_.fill(x);
    x2_.fill(x);
    for (int code = 0; code < 256; ++code)
        model.setBarTop(code, restTop);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Wide enough for every bar at its own place, as high as a bar can rise.
    QRectF reach = barBounds(0, 0.0f);
    reach |= reach.translated(scale.pixelsFromUnitsX(255.0 * kBarWidth), 0);
    QRect area = reach.toAlignedRect();
    area.setTop(0);
    area.setBottom(legendTop - 1);
    setGeometry(area);
    connect(&model, &FrequencyTableModel::barChanged, this, [this](int code, float oldTop) {
        updateArea(barBounds(code, oldTop));
        updateArea(barBounds(code));
    });
}

FrequencyGraphWidget::~FrequencyGraphWidget()
{
    for (unsigned id : accessibleIds_)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* FrequencyGraphWidget::accessibleBar(int code) const
{
    unsigned& id = accessibleIds_[std::size_t(code)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(new BarAccessible(*this, code));
    return QAccessible::accessibleInterface(id);
}

void FrequencyGraphWidget::setX1(int code, float x)
{
    updateArea(barBounds(code));
    x1_[std::size_t(code)] = x;
    updateArea(barBounds(code));
}

void FrequencyGraphWidget::setX2(int code, float x)
{
    updateArea(barBounds(code));
    x2_[std::size_t(code)] = x;
    updateArea(barBounds(code));
}

QRectF FrequencyGraphWidget::barBounds(int code) const
{
    return barBounds(code, model_->barTop(code));
}

QRectF FrequencyGraphWidget::barBounds(int code, float top) const
{
    const QPointF from(scale_.pixelsFromUnitsX(x1(code)), scale_.pixelsFromUnitsY(foot_));
    const QPointF to(scale_.pixelsFromUnitsX(x2(code)), scale_.pixelsFromUnitsY(top));
    const double margin = kBarWidth / 2.0 + 1.0;
    return QRectF(from, to).normalized().adjusted(-margin, -margin, margin, margin);
}

void FrequencyGraphWidget::updateArea(const QRectF& area)
{
    update(area.translated(-QPointF(pos())).toAlignedRect());
}

void FrequencyGraphWidget::paintEvent(QPaintEvent*)
{
    std::array<QLineF, 256> bars;
    for (int code = 0; code < 256; ++code)
        bars[std::size_t(code)] =
            QLineF(scale_.pixelsFromUnitsX(x1(code)), scale_.pixelsFromUnitsY(foot_),
                   scale_.pixelsFromUnitsX(x2(code)), scale_.pixelsFromUnitsY(model_->barTop(code)));
    QPainter painter(this);
    painter.translate(-pos());
    QPen pen(colorFromBgr(kBarColor));
    pen.setWidth(kBarWidth);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLines(bars.data(), int(bars.size()));
}

float BarHandle::Y2() const
{
    return graph_->model().barTop(code_);
}

void BarHandle::setY2(float y) const
{
    graph_->model().setBarTop(code_, y);
}
