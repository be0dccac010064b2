#pragma once
// The application object: delivers every event as a request the input gate
// can follow, and is the last net for errors in the window's own event code.
#include <QApplication>

namespace orvik {

class MessageBoxes;

class Application final : public QApplication {
public:
    Application(int& argc, char** argv);

    // Where an error escaping the window's own event code (painting, the
    // input gate, the grid's key and mouse hooks) is shown; none in tests.
    // Every handler of the window catches its own errors where it is
    // connected, so what is left here is memory running out, most likely:
    // the error box instead of the program ending with the user's work
    // unsaved.
    void setErrorBoxes(MessageBoxes* boxes) { boxes_ = boxes; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    MessageBoxes* boxes_ = nullptr;
};

}  // namespace orvik
