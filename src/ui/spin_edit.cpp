#include "ui/spin_edit.h"

#include <QLineEdit>
#include <QStyle>

#include <algorithm>
#include <limits>

#include "core/convert.h"

namespace orvik {

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    lineEdit()->setText(QStringLiteral("0"));
    // The line edit reports a change only when its text really differs, which
    // is exactly when the handler has to run.
    connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::changed);
}

int32_t TSpinEdit::Value() const { return StrToIntDef(lineEdit()->text().toStdString(), 0); }

void TSpinEdit::SetValue(int32_t v) { SetText(QString::number(v)); }

QString TSpinEdit::Text() const { return lineEdit()->text(); }

void TSpinEdit::SetText(const QString& t) {
    if (lineEdit()->text() != t) lineEdit()->setText(t);
}

void TSpinEdit::SetIncrement(int32_t step) { increment_ = step; }

void TSpinEdit::stepBy(int steps) {
    // Stepping past the 32-bit range stops at its end rather than wrapping
    // round to the other sign.
    const int64_t stepped = static_cast<int64_t>(Value()) + static_cast<int64_t>(increment_) * steps;
    SetValue(static_cast<int32_t>(
        std::clamp<int64_t>(stepped, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max())));
    if (style()->styleHint(QStyle::SH_SpinBox_SelectOnStep, nullptr, this, nullptr)) selectAll();
}

QValidator::State TSpinEdit::validate(QString& input, int& /*pos*/) const {
    for (QChar ch : input) {
        const char16_t c = ch.unicode();
        if (!((c >= u'0' && c <= u'9') || c == u'+' || c == u'-')) return QValidator::Invalid;
    }
    // Anything made of digits and signs may stand while typing; what is not a
    // number reads as the lower limit.
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

}  // namespace orvik
