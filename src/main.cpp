// Program entry: the application, the real desktop services, the window and
// its message loop. Nothing from the command line is read.
#include <csignal>

#include "core/title.h"
#include "platform/desktop_services.h"
#include "platform/pulse_output.h"
#include "ui/application.h"
#include "ui/form.h"

int main(int argc, char** argv) {
    // A save that meets the file-size limit fails like one on a full disk,
    // with the error box and the old file kept, instead of the signal
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    orvik::Application app(argc, argv);
    // Lets a Wayland desktop match the window to the installed menu entry
    // and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orvik.Orvik"));
    const QString title =
        QString::fromStdString(orvik::ApplicationTitle(QCoreApplication::applicationFilePath().toStdString()));
    orvik::DialogBoxes boxes(title);
    app.setErrorBoxes(&boxes);
    orvik::DesktopEnvironment environment;
    orvik::ProcessLauncher launcher;
    // Without a reachable sound server every tone keeps its time silently.
    orvik::PulseOutput audio("Orvik");
    orvik::TForm1 form(orvik::Platform{audio, environment, launcher, boxes});
    boxes.setOwner(&form);
    form.show();
    return app.exec();
}
