#pragma once
#include <QAbstractSpinBox>
#include <QString>

#include <cstdint>

namespace orvik {

// Integer spin edit without limits: any 32-bit value typed or set is kept,
// and stepping stops at the ends of that range. A text that is not an
// integer ("", "-", "abc") reads as 0. Only digits and signs can be typed.
class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    // Qt's accessibility reads a spin box's value from this property.
    Q_PROPERTY(int value READ Value WRITE SetValue)
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    int32_t Value() const;
    void SetValue(int32_t v);
    QString Text() const;
    void SetText(const QString& t);
    void SetIncrement(int32_t step);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    // The shown text changed, by typing or by code.
    void changed();

protected:
    StepEnabled stepEnabled() const override;

private:
    int32_t increment_ = 1;
};

}  // namespace orvik
