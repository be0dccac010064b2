#pragma once
// Turns a left-button press and release inside an area into one click, as
// the labels and the memo take clicks. As with the classic toolkit, the
// second press of a double click makes no second click.
#include <QRect>

class QEvent;

namespace orvik {

class ClickTracker {
public:
    // Follows every event of the widget; true when this one, a release of
    // the left button over `area`, completes a click. The widget handles the
    // event first and reports the click after, because the click's handler
    // may run a nested event loop or change the widget.
    bool Completes(const QEvent* event, const QRect& area);

private:
    bool down_ = false;
};

}  // namespace orvik
