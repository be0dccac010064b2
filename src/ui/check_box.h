#pragma once
#include <QCheckBox>
#include <QString>

namespace orvik {

// Check box whose state set by code runs its handler exactly as a user click
// does: changed() on every change of state, never for the state it already has.
class TCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TCheckBox(QWidget* parent = nullptr);
    explicit TCheckBox(const QString& text, QWidget* parent = nullptr);
signals:
    void changed();
};

}  // namespace orvik
