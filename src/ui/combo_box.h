#pragma once
#include <QComboBox>
#include <QString>

namespace orvik {

// Combo box with an edit field and a drop-down list, made for choosing with the
// mouse. The text can only be changed by picking from the list (or by editing
// with the mouse: paste, drop); every key press is swallowed and reported by
// keyDown(), also while the list is open (the list then closes).
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);
    QString Text() const;
    // Sets the edit text (selecting the matching entry, if any); emits nothing.
    void SetText(const QString& text);
signals:
    // The user picked an entry from the list (also the entry already shown),
    // or changed the edit text with the mouse.
    void userChanged();
    // A key was pressed while the box, its edit field or its list had the focus.
    void keyDown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace orvik
