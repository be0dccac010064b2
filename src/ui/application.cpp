#include "ui/application.h"

#include "ui/guard.h"
#include "ui/input_gate.h"

namespace orvik {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    // The input gate follows the event as a request, and hands on what its
    // tone held back once it has returned, inside the same net. Should the
    // net catch an error from the event itself, what waits goes on with the
    // user's next input.
    const auto deliver = [&] {
        handled = InputGate::Deliver(event, [&] { return QApplication::notify(receiver, event); });
    };
    if (boxes_)
        RunGuarded(*boxes_, deliver);
    else
        deliver();
    return handled;
}

}  // namespace orvik
