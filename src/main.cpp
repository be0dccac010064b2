// Program entry: the application, the real desktop services, the window and
// its message loop. Nothing from the command line is read.
#include <QApplication>
#include <csignal>

#include "core/title.h"
#include "platform/desktop_services.h"
#include "platform/pulse_output.h"
#include "ui/form.h"
#include "ui/guard.h"

namespace {

// The second net. Every handler of the window catches its own errors where it
// is connected (RunGuarded in TForm1), so none crosses Qt's event code. What
// is left is the window's own event code outside any handler: painting, the
// input gate holding events, the grid's key and mouse hooks. An error there
// (memory running out, most likely) becomes the same error box here instead
// of ending the program with the user's work unsaved.
class OrvikApplication final : public QApplication {
public:
    using QApplication::QApplication;
    orvik::MessageBoxes* boxes = nullptr;

    bool notify(QObject* receiver, QEvent* event) override {
        bool handled = false;
        orvik::MessageBoxes* target = boxes;
        if (!target) return QApplication::notify(receiver, event);
        orvik::RunGuarded(*target, [&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }
};

}  // namespace

int main(int argc, char** argv) {
    // A save that meets the file-size limit fails like one on a full disk,
    // with the error box and the old file kept, instead of the signal
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    OrvikApplication app(argc, argv);
    // Lets a Wayland desktop match the window to the installed menu entry
    // and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orvik.Orvik"));
    const QString title =
        QString::fromStdString(orvik::ApplicationTitle(QCoreApplication::applicationFilePath().toStdString()));
    orvik::DialogBoxes boxes(title);
    app.boxes = &boxes;
    orvik::DesktopEnvironment environment;
    orvik::ProcessLauncher launcher;
    // Without a reachable sound server every tone keeps its time silently.
    orvik::PulseOutput audio("Orvik");
    orvik::TForm1 form(orvik::Platform{audio, environment, launcher, boxes});
    form.show();
    return app.exec();
}
