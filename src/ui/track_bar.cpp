#include "ui/track_bar.h"

#include <algorithm>

#include "ui/accessibility.h"

namespace orvik {

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    InstallAccessibleInterfaces();
    setRange(0, 100);
    setValue(0);
    setSingleStep(1);
    setPageStep(2);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    connect(this, &QSlider::valueChanged, this, &TTrackBar::changed);
}

int TTrackBar::Position() const { return value(); }

void TTrackBar::SetPosition(int p) { setValue(std::clamp(p, minimum(), maximum())); }

}  // namespace orvik
