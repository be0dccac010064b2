#pragma once
// Holds the user's input while a tone sounds and hands it on, in order, once
// the tone has ended. The window keeps painting meanwhile: only mouse, key,
// wheel and touch events wait. (Qt's own ExcludeUserInputEvents is no use
// here: on X11 it drops the held events instead of delivering them later.)
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>

namespace orvik {

class InputGate final : public QObject {
public:
    InputGate();
    ~InputGate() override;

    // While a Hold exists, input to the program's windows is kept back, to
    // be handed on oldest first, each event as if the user had waited for
    // the tone before giving it.
    //
    // When the last Hold ends for good (its tone will not be repeated:
    // `repeats` false), what waits is handed on once the request that
    // played has returned: after the grid has moved its cursor for the key
    // that played, after the cadence's last chord. Each event handed on is
    // a request of its own, which may hold again; what remains then waits
    // for it in turn, so the requests follow one another instead of nesting.
    // Between the repetitions of a tone (`repeats` true) what waits is
    // handed on at once, inside the play, or "Stop" could never end it.
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

    // Hands `event` to `notify` (the application's delivery) as a request
    // of the user's: when it is the outermost input being handled and a
    // tone it played held input back, that input is handed on once `notify`
    // has returned. The application calls this for every event it delivers;
    // without it, held input is handed on when the last Hold ends.
    static bool Deliver(QEvent* event, const std::function<bool()>& notify);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    bool holding() const { return holds_ > 0 || deferred_; }
    bool busy() const { return requests_ > 0 || nesting_ > 0; }
    void deliverHeld();

    struct Held {
        QPointer<QObject> receiver;
        // Builds the event afresh when it is delivered: Qt shares a mouse
        // event's point data with the events made after it, so a copy kept
        // for a while can show a later event's position.
        std::function<std::unique_ptr<QEvent>()> make;
        int autoRepeatKey = 0;  // the key of a held auto-repeat press, else 0
        // For key events, what tells a repeat from a press of its own.
        QEvent::Type type = QEvent::None;
        int key = 0;
        ulong time = 0;
    };
    // Whether a key event waiting is one of a held key's repeats.
    bool isRepeat(const QEvent& event);
    static InputGate* current_;  // the application's gate, if it has one
    int holds_ = 0;
    int requests_ = 0;               // the user's request being handled (Deliver), 0 or 1
    int nesting_ = 0;                // held events being handled, one inside the other
    bool deferred_ = false;          // a finished play holds on until its request returns
    QEvent* dispatching_ = nullptr;  // the request's own event, on its way
    std::deque<Held> held_;
    struct {
        int key = 0;
        ulong time = 0;
    } unmarkedRepeat_;  // the repeat last recognised by its time alone
};

}  // namespace orvik
