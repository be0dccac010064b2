#pragma once
// Holds the user's input while a tone sounds and hands it on, in order, once
// the tone has ended. The window keeps painting meanwhile: only mouse, key,
// wheel and touch events wait. (Qt's own ExcludeUserInputEvents is no use
// here: on X11 it drops the held events instead of delivering them later.)
#include <QObject>
#include <QPointer>
#include <deque>
#include <memory>

class QEvent;

namespace orvik {

class InputGate final : public QObject {
public:
    InputGate();
    ~InputGate() override;

    // While a Hold exists, input to the program's windows is kept back;
    // when the last Hold ends the kept events are delivered, oldest first.
    // A handler run by one of them may hold again (a nested tone); the rest
    // then wait for that tone too.
    class Hold {
    public:
        explicit Hold(InputGate& gate);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        InputGate& gate_;
    };

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void deliverHeld();

    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    int holds_ = 0;
    std::deque<Held> held_;
};

}  // namespace orvik
