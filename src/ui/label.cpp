#include "ui/label.h"

#include <QPalette>

#include "ui/accessibility.h"
#include "ui/colour.h"

namespace orvik {

TLabel::TLabel(QWidget* parent, Kind kind) : QLabel(parent), kind_(kind) { InstallAccessibleInterfaces(); }

void TLabel::SetBackgroundColour(uint32_t colourNumber) {
    QPalette p = palette();
    p.setColor(QPalette::Window, ColourFromNumber(colourNumber));
    // A colour of our own underneath takes our own text colour on top: a dark
    // theme's light text on these light backgrounds could hardly be read.
    p.setColor(QPalette::WindowText, Qt::black);
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
