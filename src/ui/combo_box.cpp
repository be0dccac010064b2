#include "ui/combo_box.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>

namespace orvik {

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    view()->installEventFilter(this);
    // Picking an entry, even the one already shown, is a choice of the user.
    connect(this, &QComboBox::textActivated, this, &TComboBox::userChanged);
    // Keys never reach the edit field, but the mouse can still change its
    // text (paste, drop); that too is the user's change.
    connect(lineEdit(), &QLineEdit::textEdited, this, &TComboBox::userChanged);
}

QString TComboBox::Text() const { return lineEdit() ? lineEdit()->text() : currentText(); }

void TComboBox::SetText(const QString& text) {
    // Neither textActivated nor textEdited is emitted for changes by code.
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    setEditText(text);
}

bool TComboBox::eventFilter(QObject* watched, QEvent* event) {
    const bool ours = watched == this || (lineEdit() && watched == lineEdit()) || watched == view();
    if (ours && event->type() == QEvent::KeyPress) {
        // A key in the open list closes it, as losing the focus would.
        if (watched == view()) hidePopup();
        emit keyDown();
        return true;
    }
    if (ours && event->type() == QEvent::InputMethod) return true;  // no composed text either
    return QComboBox::eventFilter(watched, event);
}

}  // namespace orvik
