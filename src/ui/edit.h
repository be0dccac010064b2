#pragma once
#include <QLineEdit>
#include <functional>

namespace orvik {

// Single-line edit whose key presses reach a handler as characters first
// (Enter arrives as the carriage return, character 13), and which reports
// double clicks.
class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr);
    // The handler may set the character to 0 to swallow the key.
    void SetKeyPressHandler(std::function<void(QChar& key)> handler) { keyPress_ = std::move(handler); }

signals:
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::function<void(QChar&)> keyPress_;
};

}  // namespace orvik
