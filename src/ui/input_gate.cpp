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

// A mouse event rebuilt from its values, with Qt's mark that a press made a
// double click: Qt's window hands such a press on as the double click
// alone, so a replay without the mark would reach the widget as a third
// press. The mark can be read publicly (flags()) but set only from within.
class RebuiltMouseEvent final : public QMouseEvent {
public:
    using QMouseEvent::QMouseEvent;
    void markDoubleClick(bool on) { m_doubleClick = on; }
};

// A recipe for the event as it is now: its values, taken while they are
// still its own.
std::function<std::unique_ptr<QEvent>()> Recipe(const QEvent& event) {
    if (const auto* mouse = dynamic_cast<const QMouseEvent*>(&event)) {
        return [type = mouse->type(), position = mouse->position(), scene = mouse->scenePosition(),
                global = mouse->globalPosition(), button = mouse->button(), buttons = mouse->buttons(),
                modifiers = mouse->modifiers(), time = mouse->timestamp(), device = mouse->pointingDevice(),
                doubleClick = mouse->flags().testFlag(Qt::MouseEventCreatedDoubleClick)] {
            auto made =
                std::make_unique<RebuiltMouseEvent>(type, position, scene, global, button, buttons, modifiers, device);
            made->setTimestamp(time);
            made->markDoubleClick(doubleClick);
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

InputGate* InputGate::current_ = nullptr;

InputGate::InputGate() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
    if (!current_) current_ = this;
}

InputGate::~InputGate() {
    if (current_ == this) current_ = nullptr;
}

InputGate::Hold::Hold(InputGate& gate, std::function<bool()> repeats) : gate_(gate), repeats_(std::move(repeats)) {
    ++gate_.holds_;
}

InputGate::Hold::~Hold() {
    InputGate& gate = gate_;
    if (--gate.holds_ > 0 || gate.deferred_) return;
    if (repeats_ && repeats_()) {
        gate.deliverHeld();
        return;
    }
    // Over for good: what waits goes on waiting until the request that led
    // to this play has returned, when there is one to wait for.
    if (gate.busy())
        gate.deferred_ = true;
    else
        gate.deliverHeld();
}

bool InputGate::Deliver(QEvent* event, const std::function<bool()>& notify) {
    InputGate* gate = current_;
    // Only the outermost input is a request: the window system hands input
    // to the window, which passes it on to a widget inside; what the gate
    // hands on itself is followed in deliverHeld.
    if (!gate || !isUserInput(event->type()) || gate->busy()) return notify();
    struct Request {
        InputGate& gate;
        QEvent* before;
        Request(InputGate& g, QEvent* e) : gate(g), before(g.dispatching_) {
            ++gate.requests_;
            gate.dispatching_ = e;
        }
        ~Request() {
            --gate.requests_;
            gate.dispatching_ = before;
        }
    };
    bool handled = false;
    {
        Request request(*gate, event);
        handled = notify();
    }
    // The request has returned: what came meanwhile, held behind its tone
    // or while it was being handled, follows now.
    if (gate->holds_ == 0 && !gate->held_.empty()) {
        gate->deferred_ = false;
        gate->deliverHeld();
    }
    return handled;
}

bool InputGate::isRepeat(const QEvent& event) {
    if (isAutoRepeat(event)) return true;
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::ShortcutOverride) return false;
    // The X server repeats a key as a release and a press with one and the
    // same time. Qt marks the pair as a repeat only when it finds the press
    // already queued as it reads the release; on a busy machine it often is
    // not, and the pair arrives as the user letting go and pressing again.
    // A human's release and next press never share a millisecond.
    const auto& key = static_cast<const QKeyEvent&>(event);
    const ulong time = key.timestamp();
    if (time == 0) return false;
    if (unmarkedRepeat_.key == key.key() && unmarkedRepeat_.time == time) return true;
    for (auto h = held_.rbegin(); h != held_.rend(); ++h) {
        if (h->key != key.key()) continue;
        if (h->type != QEvent::KeyRelease || h->time != time) return false;
        held_.erase(std::next(h).base());  // the repeat's release goes with it
        unmarkedRepeat_ = {key.key(), time};
        return true;
    }
    return false;
}

bool InputGate::eventFilter(QObject* receiver, QEvent* event) {
    // The window system hands input to the top-level window, which passes it
    // on to the widget under the mouse or with the focus when it is
    // delivered; input posted to a widget directly waits in the same queue.
    if (!isUserInput(event->type())) return false;
    // A message box that comes up meanwhile must be answerable.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal) {
        const auto* widget = qobject_cast<const QWidget*>(receiver);
        const auto* window = qobject_cast<const QWindow*>(receiver);
        if ((widget && modal->isAncestorOf(widget)) || widget == modal || (window && window == modal->windowHandle()))
            return false;
    }
    // While a tone sounds, and after it until its request returns, all
    // input waits. So does new input from the window system that arrives
    // while a request is handled otherwise (its handler looks for messages
    // before it plays): handled at once, it would play the cell the request
    // is about to play, before the grid moves on. What the window passes on
    // to its widgets belongs to the request being handled and goes through;
    // so does what a modal box leaves blocked, which Qt drops.
    const bool newFromTheWindowSystem = qobject_cast<const QWindow*>(receiver) != nullptr && event != dispatching_;
    if (!holding() && !(busy() && newFromTheWindowSystem && !modal)) return false;
    // A key held down repeats far faster than tones end. As on the desktop
    // this program was designed for, the repeats of a key that wait for a
    // busy program become one: a repeated press joins the one already
    // waiting, and what comes between repeats (their releases and shortcut
    // checks) goes; the key's final release is no repeat and stays.
    // Distinct presses are all kept.
    int autoRepeatKey = 0;
    if (isRepeat(*event)) {
        if (event->type() != QEvent::KeyPress) return true;
        autoRepeatKey = static_cast<const QKeyEvent*>(event)->key();
        for (const Held& h : held_)
            if (h.autoRepeatKey == autoRepeatKey) return true;
    }
    const auto* key = dynamic_cast<const QKeyEvent*>(event);
    held_.push_back(
        {receiver, Recipe(*event), autoRepeatKey, event->type(), key ? key->key() : 0, key ? key->timestamp() : 0});
    return true;
}

void InputGate::deliverHeld() {
    // One at a time from the front. An event's handler may play a tone:
    // the events behind it then wait until that handler has returned, or,
    // while the tone repeats, are handed on from inside it (by a nested
    // call), so a "Stop" pressed during a repeated tone is heard.
    while (!holding() && !held_.empty()) {
        Held next = std::move(held_.front());
        held_.pop_front();
        if (!next.receiver) continue;
        const std::unique_ptr<QEvent> event = next.make();
        QEvent* const before = dispatching_;
        dispatching_ = event.get();
        ++nesting_;
        QCoreApplication::sendEvent(next.receiver, event.get());
        --nesting_;
        dispatching_ = before;
        // The request this event made has returned: its play no longer
        // holds the rest back.
        if (holds_ == 0) deferred_ = false;
    }
}

}  // namespace orvik
