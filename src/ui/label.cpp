#include "ui/label.h"

#include <QPalette>

#include "ui/accessibility.h"
#include "ui/colour.h"

namespace orvik {

TLabel::TLabel(QWidget* parent, Kind kind) : QLabel(parent), kind_(kind) { InstallAccessibleInterfaces(); }

void TLabel::SetBackgroundColour(uint32_t colourNumber) {
    QPalette p = palette();
    p.setColor(QPalette::Window, ColourFromNumber(colourNumber));
    setPalette(p);
    setAutoFillBackground(true);
}

bool TLabel::event(QEvent* event) {
    const bool click = click_.Completes(event, rect());
    const bool handled = QLabel::event(event);
    if (click) emit clicked();
    return handled;
}

}  // namespace orvik
