#include "path_box.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>
#include <QUrl>

namespace {

// The path of the first dropped item when it is a local file, else empty.
QString droppedLocalPath(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    return !urls.isEmpty() && urls.constFirst().isLocalFile() ? urls.constFirst().toLocalFile()
                                                              : QString();
}

enum class FileDrag { NotAFile, Taken, Refused };

// A file drag is taken as a copy, or as a link where no copy is offered, and
// refused where only a move is: after a move the file manager would remove
// the file.
FileDrag takeFileDrag(QDropEvent& event)
{
    if (droppedLocalPath(event.mimeData()).isEmpty())
        return FileDrag::NotAFile;
    const Qt::DropActions offered = event.possibleActions();
    if (!(offered & (Qt::CopyAction | Qt::LinkAction))) {
        event.ignore();
        return FileDrag::Refused;
    }
    event.setDropAction(offered & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
    event.accept();
    return FileDrag::Taken;
}

} // namespace

void PathBox::focusInEvent(QFocusEvent* event)
{
    // QLineEdit selects all of its text when the keyboard brings the focus.
    const bool byKeyboard = event->reason() == Qt::TabFocusReason ||
                            event->reason() == Qt::BacktabFocusReason ||
                            event->reason() == Qt::ShortcutFocusReason;
    if (!byKeyboard) {
        QLineEdit::focusInEvent(event);
        return;
    }
    QFocusEvent plain(event->type(), Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&plain);
}

void PathBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (takeFileDrag(*event) == FileDrag::NotAFile)
        QLineEdit::dragEnterEvent(event);
}

void PathBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (takeFileDrag(*event) == FileDrag::NotAFile)
        QLineEdit::dragMoveEvent(event);
}

void PathBox::dropEvent(QDropEvent* event)
{
    switch (takeFileDrag(*event)) {
    case FileDrag::NotAFile:
        QLineEdit::dropEvent(event);
        break;
    case FileDrag::Taken:
        setText(droppedLocalPath(event->mimeData()));
        break;
    case FileDrag::Refused:
        break;
    }
}
