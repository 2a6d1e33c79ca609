#include "form.h"

#include "accessible_table.h"
#include "announcement.h"
#include "colors.h"
#include "focus_stop.h"
#include "form_accessibility.h"
#include "label.h"
#include "lightweight_control.h"
#include "table_focus.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

Form::Form(const FormScale& scale, int widthPixels, int heightPixels)
    : QWidget(nullptr,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                  Qt::MSWindowsFixedSizeDialogHint),
      scale_(scale)
{
    setFixedSize(widthPixels, heightPixels);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    installFormAccessibility();
}

Form::~Form()
{
    // A stop that loses the focus repaints round what it marks, which must
    // still be there.
    qDeleteAll(findChildren<FocusStop*>(Qt::FindDirectChildrenOnly));
    for (const auto& [control, id] : accessibleIds_)
        QAccessible::deleteAccessibleInterface(id);
    for (const auto& [table, id] : accessibleTables_)
        QAccessible::deleteAccessibleInterface(id);
    if (announcementId_ != 0)
        QAccessible::deleteAccessibleInterface(announcementId_);
}

QAccessibleInterface* Form::accessibleFor(const LightweightControl& control) const
{
    for (const auto& [table, id] : accessibleTables_)
        if (QAccessibleInterface* cell = table->cellFor(control))
            return cell;
    const auto known = accessibleIds_.find(&control);
    if (known != accessibleIds_.end())
        return QAccessible::accessibleInterface(known->second);
    const auto stop = focusStops_.find(&control);
    auto* created = new LightweightAccessible(const_cast<Form&>(*this), control,
                                              stop == focusStops_.end() ? nullptr : stop->second);
    accessibleIds_[&control] = stop == focusStops_.end()
                                   ? QAccessible::registerAccessibleInterface(created)
                                   : registerForStop(*stop->second, created);
    return created;
}

unsigned Form::registerForStop(QWidget& stop, QAccessibleInterface* painted)
{
    // Qt makes an interface for any widget a screen reader hears of; the
    // stop may have been heard of while it was being made.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&stop); made && made != painted)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    return QAccessible::registerAccessibleInterface(painted);
}

TableFocus& Form::addAccessibleTable(std::unique_ptr<AccessibleTableSource> source)
{
    auto* focus = new TableFocus(*this, *source);
    auto* table = new AccessibleTable(*this, std::move(source), *focus);
    accessibleTables_.emplace_back(table, registerForStop(*focus, table));
    focus->setAccessibleName(table->text(QAccessible::Name));
    accessibleChildrenChanged();
    return *focus;
}

FocusStop& Form::addFocusStop(const Label& label)
{
    if (const auto known = accessibleIds_.find(&label); known != accessibleIds_.end()) {
        QAccessible::deleteAccessibleInterface(known->second);
        accessibleIds_.erase(known);
    }
    auto* stop = new LabelFocusStop(*this, label);
    focusStops_[&label] = stop;
    stop->setAccessibleName(accessibleFor(label)->text(QAccessible::Name));
    accessibleChildrenChanged();
    return *stop;
}

void Form::announce(const QString& message)
{
    const bool first = announcementId_ == 0;
    if (first)
        announcementId_ = QAccessible::registerAccessibleInterface(new Announcement(*this));
    auto* shown = static_cast<Announcement*>(announcement());
    shown->setMessage(message);
    if (first) {
        QAccessibleEvent created(shown, QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&created);
    }
    QAccessibleEvent named(shown, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent showing(shown, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&showing);
}

QAccessibleInterface* Form::announcement() const
{
    return announcementId_ == 0 ? nullptr : QAccessible::accessibleInterface(announcementId_);
}

const std::vector<QAccessibleInterface*>& Form::accessibleControls() const
{
    if (accessibleControls_)
        return *accessibleControls_;
    std::vector<QAccessibleInterface*> walked;
    std::vector<const AccessibleTable*> placed;
    for (const auto& control : controls_) {
        if (control->decorative())
            continue;
        const auto table = std::find_if(accessibleTables_.begin(), accessibleTables_.end(),
                                        [&](const auto& t) { return t.first->paints(*control); });
        if (table == accessibleTables_.end()) {
            walked.push_back(accessibleFor(*control));
        } else if (std::find(placed.begin(), placed.end(), table->first) == placed.end()) {
            placed.push_back(table->first);
            walked.push_back(table->first);
        }
    }
    return accessibleControls_.emplace(std::move(walked));
}

QRect Form::screenRect(const QRectF& pixels) const
{
    const QRect local = pixels.toAlignedRect();
    return QRect(mapToGlobal(local.topLeft()), local.size());
}

namespace {

int pixelsFromTwips(int twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

} // namespace

void Form::placeTwips(QWidget& child, int left, int top, int width, int height)
{
    child.setGeometry(pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width),
                      pixelsFromTwips(height));
}

void Form::placeOnScreenTwips(int left, int top)
{
    // move() would place the frame and push the client area down by the
    // title bar's height; geometry is the client area's.
    setGeometry(QRect(QPoint(pixelsFromTwips(left), pixelsFromTwips(top)), size()));
}

void Form::setBackColor(std::uint32_t bgr)
{
    backColor_ = bgr;
    update();
}

void Form::setMousePointer(std::int16_t pointer)
{
    mousePointer_ = pointer;
    updateCursor(mapFromGlobal(QCursor::pos()));
}

void Form::repaintArea(const QRectF& pixels)
{
    update(pixels.toAlignedRect());
}

void Form::insertAfter(const LightweightControl& after, std::unique_ptr<LightweightControl> control)
{
    const auto place = std::find_if(controls_.begin(), controls_.end(),
                                    [&after](const auto& c) { return c.get() == &after; });
    controls_.insert(place == controls_.end() ? place : place + 1, std::move(control));
    accessibleChildrenChanged();
}

void Form::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRectF dirty = event->rect();
    painter.fillRect(dirty, colorFromBgr(backColor_));
    for (const auto& control : controls_)
        if (control->Visible() && control->pixelBounds().intersects(dirty))
            control->paint(painter);
}

Label* Form::clickableLabelAt(const QPointF& point) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        auto* label = dynamic_cast<Label*>(it->get());
        if (label && label->Visible() && label->pixelBounds().contains(point))
            return label->onClick() || label->mouseIcon() ? label : nullptr;
    }
    return nullptr;
}

void Form::updateCursor(const QPointF& point)
{
    if (mousePointer_ == Hourglass) {
        setCursor(Qt::WaitCursor);
        return;
    }
    const Label* label = clickableLabelAt(point);
    if (label && label->mouseIcon())
        setCursor(*label->mouseIcon());
    else
        unsetCursor();
}

void Form::mouseMoveEvent(QMouseEvent* event)
{
    updateCursor(event->position());
}

void Form::leaveEvent(QEvent*)
{
    if (mousePointer_ != Hourglass)
        unsetCursor();
}

void Form::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? clickableLabelAt(event->position()) : nullptr;
}

void Form::mouseReleaseEvent(QMouseEvent* event)
{
    Label* pressed = std::exchange(pressed_, nullptr);
    if (pressed && event->button() == Qt::LeftButton &&
        clickableLabelAt(event->position()) == pressed && pressed->onClick())
        pressed->onClick()();
}
