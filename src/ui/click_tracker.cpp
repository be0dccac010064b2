#include "ui/click_tracker.h"

#include <QMouseEvent>

namespace orvik {

bool ClickTracker::Completes(const QEvent* event, const QRect& area) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton) down_ = true;
            return false;
        case QEvent::MouseButtonDblClick:
            down_ = false;
            return false;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<const QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) return false;
            const bool click = down_ && area.contains(mouse->position().toPoint());
            down_ = false;
            return click;
        }
        default:
            return false;
    }
}

}  // namespace orvik
