#include "ui/edit.h"

#include <QKeyEvent>

namespace orvik {

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

void TEdit::keyPressEvent(QKeyEvent* event) {
    if (keyPress_) {
        QChar key;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            key = QChar(13);
        else if (!event->text().isEmpty())
            key = event->text().at(0);
        if (!key.isNull()) {
            keyPress_(key);
            if (key.isNull()) {
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

}  // namespace orvik
