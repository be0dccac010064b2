#include "platform/desktop_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

namespace orvik {

QString DesktopEnvironment::programPath() const { return QCoreApplication::applicationFilePath(); }

std::optional<QString> DesktopEnvironment::desktopFolder() const {
    // QStandardPaths follows the XDG user directories. When the user has no
    // desktop it falls back to the home folder, which is no desktop at all.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || QDir(desktop) == QDir::home() || !QFileInfo(desktop).isDir()) return std::nullopt;
    return desktop;
}

bool ProcessLauncher::start(const QString& program, const QString& workingDirectory) {
    // An absolute path, no arguments: QProcess never consults a shell or the
    // search path for it.
    if (!QFileInfo(program).isAbsolute()) return false;
    return QProcess::startDetached(program, {}, workingDirectory);
}

namespace {
void showBox(QWidget* owner, const QString& title, const QString& text, QMessageBox::Icon icon) {
    // A message can quote a whole settings line; a box the size of a
    // megabyte of text would take ages to lay out and fit no screen.
    constexpr qsizetype Longest = 2000;
    const QString shown = text.size() > Longest ? text.left(Longest) + QChar(0x2026) : text;
    // Owned by the window, the box stays above it (a transient window on X11,
    // a child toplevel on Wayland): a click on the window cannot bury it,
    // and it keeps the keyboard. Where the window system lets a program
    // place its windows, it still stands in the middle of the screen.
    QMessageBox box(icon, title, shown, QMessageBox::Ok, owner);
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        box.move(area.center() - box.rect().center());
    }
    box.exec();
}
}  // namespace

void DialogBoxes::setOwner(QWidget* window) { owner_ = window; }

void DialogBoxes::message(const QString& text) { showBox(owner_, title_, text, QMessageBox::NoIcon); }
void DialogBoxes::error(const QString& text) { showBox(owner_, title_, text, QMessageBox::Critical); }

}  // namespace orvik
