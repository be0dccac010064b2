#pragma once
#include <QLabel>

#include <cstdint>

#include "ui/click_tracker.h"

namespace orvik {

// Label that takes clicks: clicked() when the left button, pressed on the
// label, is released over it. As with the classic toolkit, the second press of
// a double click does not make a second click.
class TLabel : public QLabel {
    Q_OBJECT
public:
    // Whether a click on the label does something. Assistive technology sees
    // a label that acts as a button with a press action that emits
    // clicked(); a plain caption stays a caption. Given at construction,
    // because a screen reader may ask about the label as soon as it exists.
    enum class Kind { Caption, ActsOnClick };

    explicit TLabel(QWidget* parent = nullptr, Kind kind = Kind::Caption);
    void SetBackgroundColour(uint32_t colourNumber);
    bool ActsOnClick() const { return kind_ == Kind::ActsOnClick; }

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;

private:
    ClickTracker click_;
    Kind kind_;
};

}  // namespace orvik
