#pragma once
// Holds the user's input while a tone sounds and hands it on, in order, once
// the tone has ended. The window keeps painting meanwhile: only mouse, key,
// wheel and touch events wait. (Qt's own ExcludeUserInputEvents is no use
// here: on X11 it drops the held events instead of delivering them later.)
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>

class QEvent;

namespace orvik {

class InputGate final : public QObject {
public:
    // How deep held input is handed on inside the plays it leads to before
    // the gate waits for a play to return instead (see Hold).
    static constexpr int MaxNesting = 64;

    InputGate();
    ~InputGate() override;

    // While a Hold exists, input to the program's windows is kept back;
    // when the last Hold ends the kept events are delivered, oldest first.
    // A handler run by one of them may hold again (a nested tone); the rest
    // then wait for that tone and are delivered from inside it, as a request
    // made during a tone is handled after that play.
    //
    // Each such handler nests one level deeper on the stack, and a key held
    // down keeps the queue full, so the nesting is bounded: from MaxNesting
    // levels on, a Hold whose tone will not be repeated (`repeats` false
    // when it ends) goes on holding until the handler that played it has
    // returned, and the level below hands on what waits. A tone that
    // repeats still hands input on at once, or "Stop" could never end it.
    class Hold {
    public:
        explicit Hold(InputGate& gate, std::function<bool()> repeats = {});
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        InputGate& gate_;
        std::function<bool()> repeats_;
    };

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void deliverHeld();

    struct Held {
        QPointer<QObject> receiver;
        // Builds the event afresh when it is delivered: Qt shares a mouse
        // event's point data with the events made after it, so a copy kept
        // for a while can show a later event's position.
        std::function<std::unique_ptr<QEvent>()> make;
        int autoRepeatKey = 0;  // the key of a held auto-repeat press, else 0
    };
    int holds_ = 0;
    int nesting_ = 0;        // delivered events being handled, one inside the other
    bool deferred_ = false;  // a play deep in the nesting holds on until its request returns
    std::deque<Held> held_;
};

}  // namespace orvik
