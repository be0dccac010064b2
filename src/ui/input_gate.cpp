#include "ui/input_gate.h"

#include <QCoreApplication>
#include <QEvent>

namespace orvik {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

}  // namespace

InputGate::InputGate() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

InputGate::~InputGate() = default;

InputGate::Hold::Hold(InputGate& gate) : gate_(gate) { ++gate_.holds_; }

InputGate::Hold::~Hold() {
    if (--gate_.holds_ == 0) gate_.deliverHeld();
}

bool InputGate::eventFilter(QObject* receiver, QEvent* event) {
    // The window system hands input to the top-level window, which passes it
    // on to the widget under the mouse or with the focus when it is
    // delivered; input posted to a widget directly waits in the same queue.
    if (holds_ == 0 || !isUserInput(event->type())) return false;
    held_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    return true;
}

void InputGate::deliverHeld() {
    // One at a time from the front: an event's handler may play a tone, and
    // the events behind it are then delivered when that tone ends (by the
    // nested call), so a "Stop" pressed during a repeated tone is heard.
    while (holds_ == 0 && !held_.empty()) {
        Held next = std::move(held_.front());
        held_.pop_front();
        if (next.receiver) QCoreApplication::sendEvent(next.receiver, next.event.get());
    }
}

}  // namespace orvik
