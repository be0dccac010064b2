#include "ui/memo.h"

#include <QTextBlock>
#include <QTextLayout>

namespace orvik {

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::ArrowCursor);
}

QString TMemo::Text() const {
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void TMemo::SetText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setPlainText(plain);
}

QString TMemo::FirstLine() const {
    const QTextBlock block = document()->firstBlock();
    const QString text = block.text();
    if (!isVisible() || lineWrapMode() == QPlainTextEdit::NoWrap) return text;
    // The block may not have been laid out since the last change.
    if (auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document()->documentLayout()))
        layout->ensureBlockLayout(block);
    const QTextLayout* lines = block.layout();
    if (!lines || lines->lineCount() == 0) return text;
    const QTextLine first = lines->lineAt(0);
    return text.mid(first.textStart(), first.textLength());
}

bool TMemo::viewportEvent(QEvent* event) {
    // The text area is the viewport; the scroll bar is a widget of its own
    // and never clicks.
    const bool click = click_.Completes(event, viewport()->rect());
    const bool handled = QPlainTextEdit::viewportEvent(event);
    if (click) emit clicked();
    return handled;
}

}  // namespace orvik
