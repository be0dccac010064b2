#include "ui/application.h"

#include "ui/guard.h"
#include "ui/input_gate.h"

namespace orvik {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    const auto deliver = [&] {
        bool done = false;
        if (boxes_)
            RunGuarded(*boxes_, [&] { done = QApplication::notify(receiver, event); });
        else
            done = QApplication::notify(receiver, event);
        return done;
    };
    // The input a tone held back is handed on after the request that played
    // it, inside the same net.
    if (boxes_)
        RunGuarded(*boxes_, [&] { handled = InputGate::Deliver(event, deliver); });
    else
        handled = InputGate::Deliver(event, deliver);
    return handled;
}

}  // namespace orvik
