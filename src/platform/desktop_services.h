#pragma once
// The real desktop behind the service interfaces.
#include "platform/services.h"

class QWidget;

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
    void message(const QString& text) override;
    void error(const QString& text) override;

private:
    QString title_;
};

}  // namespace orvik
