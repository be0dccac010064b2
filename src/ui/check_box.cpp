#include "ui/check_box.h"

namespace orvik {

TCheckBox::TCheckBox(QWidget* parent) : TCheckBox(QString(), parent) {}

TCheckBox::TCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    // toggled() fires for clicks and for setChecked() alike, and only when the
    // state really changes.
    connect(this, &QCheckBox::toggled, this, &TCheckBox::changed);
}

}  // namespace orvik
