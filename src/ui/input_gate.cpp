#include "ui/input_gate.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

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

bool isAutoRepeat(const QEvent& event) {
    switch (event.type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return static_cast<const QKeyEvent&>(event).isAutoRepeat();
        default:
            return false;
    }
}

// A recipe for the event as it is now: its values, taken while they are
// still its own.
std::function<std::unique_ptr<QEvent>()> Recipe(const QEvent& event) {
    if (const auto* mouse = dynamic_cast<const QMouseEvent*>(&event)) {
        return [type = mouse->type(), position = mouse->position(), scene = mouse->scenePosition(),
                global = mouse->globalPosition(), button = mouse->button(), buttons = mouse->buttons(),
                modifiers = mouse->modifiers(), time = mouse->timestamp(), device = mouse->pointingDevice()] {
            auto made =
                std::make_unique<QMouseEvent>(type, position, scene, global, button, buttons, modifiers, device);
            made->setTimestamp(time);
            return made;
        };
    }
    if (const auto* wheel = dynamic_cast<const QWheelEvent*>(&event)) {
        return [position = wheel->position(), global = wheel->globalPosition(), pixels = wheel->pixelDelta(),
                angle = wheel->angleDelta(), buttons = wheel->buttons(), modifiers = wheel->modifiers(),
                phase = wheel->phase(), inverted = wheel->inverted(), time = wheel->timestamp(),
                device = wheel->pointingDevice()] {
            auto made = std::make_unique<QWheelEvent>(position, global, pixels, angle, buttons, modifiers, phase,
                                                      inverted, Qt::MouseEventNotSynthesized, device);
            made->setTimestamp(time);
            return made;
        };
    }
    // Key events carry no shared state; the rest is rare enough to keep as is.
    std::shared_ptr<QEvent> copy(event.clone());
    return [copy] { return std::unique_ptr<QEvent>(copy->clone()); };
}

}  // namespace

InputGate::InputGate() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

InputGate::~InputGate() = default;

InputGate::Hold::Hold(InputGate& gate, std::function<bool()> repeats) : gate_(gate), repeats_(std::move(repeats)) {
    ++gate_.holds_;
}

InputGate::Hold::~Hold() {
    if (gate_.holds_ > 1 || gate_.deferred_) {
        --gate_.holds_;
        return;
    }
    // Deep inside nested plays, one that is over for good goes on holding
    // until the request that led to it has returned; the level below then
    // hands on what waits.
    if (gate_.nesting_ >= MaxNesting && !(repeats_ && repeats_())) {
        gate_.deferred_ = true;
        return;
    }
    gate_.holds_ = 0;
    gate_.deliverHeld();
}

bool InputGate::eventFilter(QObject* receiver, QEvent* event) {
    // The window system hands input to the top-level window, which passes it
    // on to the widget under the mouse or with the focus when it is
    // delivered; input posted to a widget directly waits in the same queue.
    if (holds_ == 0 || !isUserInput(event->type())) return false;
    // A message box that comes up meanwhile must be answerable.
    if (const QWidget* modal = QApplication::activeModalWidget()) {
        const auto* widget = qobject_cast<const QWidget*>(receiver);
        const auto* window = qobject_cast<const QWindow*>(receiver);
        if ((widget && modal->isAncestorOf(widget)) || widget == modal || (window && window == modal->windowHandle()))
            return false;
    }
    // A key held down repeats far faster than tones end. As on the desktop
    // this program was designed for, the repeats of a key that wait for a
    // busy program become one: a repeated press joins the one already
    // waiting, and what comes between repeats (their releases and shortcut
    // checks) goes; the key's final release is no repeat and stays.
    // Distinct presses are all kept.
    int autoRepeatKey = 0;
    if (isAutoRepeat(*event)) {
        if (event->type() != QEvent::KeyPress) return true;
        autoRepeatKey = static_cast<const QKeyEvent*>(event)->key();
        for (const Held& h : held_)
            if (h.autoRepeatKey == autoRepeatKey) return true;
    }
    held_.push_back({receiver, Recipe(*event), autoRepeatKey});
    return true;
}

void InputGate::deliverHeld() {
    // One at a time from the front: an event's handler may play a tone, and
    // the events behind it are then delivered when that tone ends (by the
    // nested call), so a "Stop" pressed during a repeated tone is heard.
    while (holds_ == 0 && !held_.empty()) {
        Held next = std::move(held_.front());
        held_.pop_front();
        if (!next.receiver) continue;
        const std::unique_ptr<QEvent> event = next.make();
        ++nesting_;
        QCoreApplication::sendEvent(next.receiver, event.get());
        --nesting_;
        if (deferred_) {
            // The deferred play's request has returned: hand on from here.
            deferred_ = false;
            holds_ = 0;
        }
    }
}

}  // namespace orvik
