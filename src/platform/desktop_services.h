#pragma once
// The real desktop behind the service interfaces.
#include <QPointer>
#include <QWidget>

#include "platform/services.h"

namespace orvik {

class DesktopEnvironment final : public Environment {
public:
    QString programPath() const override;
    std::optional<QString> desktopFolder() const override;
};

class ProcessLauncher final : public ProgramLauncher {
public:
    bool start(const QString& program, const QString& workingDirectory) override;
};

class DialogBoxes final : public MessageBoxes {
public:
    explicit DialogBoxes(QString title) : title_(std::move(title)) {}
    // The main window, once it exists: every box from then on belongs to it.
    // Boxes shown before (the first start's) stand on their own.
    void setOwner(QWidget* window);
    void message(const QString& text) override;
    void error(const QString& text) override;

private:
    QString title_;
    QPointer<QWidget> owner_;
};

}  // namespace orvik
