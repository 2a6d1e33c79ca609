#include "display.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};

// The start's state, for the message handler, which takes no context.
struct Start {
    QByteArray noDisplayLine;
    std::vector<HeldMessage> held;
};
Start* start = nullptr;

void holdOrGiveUp(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    // Qt's only answer to a platform it cannot open is a fatal message,
    // after which it aborts: the program ends here, before that.
    if (type == QtFatalMsg) {
        std::fputs(start->noDisplayLine.constData(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    start->held.push_back({type, context.category ? context.category : "", text});
}

} // namespace

std::unique_ptr<QApplication> openDisplay(int& argc, char** argv, const QByteArray& noDisplayLine)
{
    Start state{noDisplayLine, {}};
    start = &state;
    const QtMessageHandler previous = qInstallMessageHandler(holdOrGiveUp);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    start = nullptr;
    for (const HeldMessage& message : state.held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        if (previous)
            previous(message.type, context, message.text);
        else
            qt_message_output(message.type, context, message.text);
    }
    return app;
}
