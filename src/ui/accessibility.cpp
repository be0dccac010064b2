#include "ui/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "ui/label.h"
#include "ui/track_bar.h"

namespace orvik {

namespace {

// A label that acts on a click: a button whose press does what the click
// does, named by its caption.
class ClickableLabelAccessible final : public QAccessibleWidget {
public:
    explicit ClickableLabelAccessible(TLabel* label) : QAccessibleWidget(label, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) text = label()->text();
        return text;
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString& action) override {
        if (action == pressAction())
            emit label()->clicked();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    TLabel* label() const { return static_cast<TLabel*>(widget()); }
};

// The volume slider, whose value is a percentage: its value text is the
// text shown beside it ("50%"), the number stays the value.
class TrackBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TrackBarAccessible(TTrackBar* bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return QString::number(bar()->Position()) + QLatin1Char('%');
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() + QStringList{increaseAction(), decreaseAction()};
    }
    void doAction(const QString& action) override {
        if (action == increaseAction())
            bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        else if (action == decreaseAction())
            bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else
            QAccessibleWidget::doAction(action);
    }

    QVariant currentValue() const override { return bar()->Position(); }
    void setCurrentValue(const QVariant& value) override { bar()->SetPosition(value.toInt()); }
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return bar()->singleStep(); }

private:
    TTrackBar* bar() const { return static_cast<TTrackBar*>(widget()); }
};

QAccessibleInterface* Factory(const QString& /*className*/, QObject* object) {
    if (auto* label = qobject_cast<TLabel*>(object); label && label->ActsOnClick())
        return new ClickableLabelAccessible(label);
    if (auto* bar = qobject_cast<TTrackBar*>(object)) return new TrackBarAccessible(bar);
    return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
    static const bool installed = (QAccessible::installFactory(&Factory), true);
    (void)installed;
}

}  // namespace orvik
