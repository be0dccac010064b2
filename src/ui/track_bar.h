#pragma once
#include <QSlider>

namespace orvik {

// Horizontal track bar 0..100 with a tick below every position.
// Assistive technology reads its value as the percentage ("50%").
class TTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TTrackBar(QWidget* parent = nullptr);
    int Position() const;
    void SetPosition(int p);  // clamped to 0..100
signals:
    // The position changed, by the user or by code.
    void changed();
};

}  // namespace orvik
