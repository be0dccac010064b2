#pragma once
#include <QPlainTextEdit>
#include <QString>

#include "ui/click_tracker.h"

namespace orvik {

// Multi-line memo: editable, word wrap at the widget's width, a vertical scroll
// bar always and no horizontal one, an arrow mouse cursor over the text.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent = nullptr);
    // The whole text, lines ended by CR LF (none after the last line).
    QString Text() const;
    // Replaces all lines; CR LF, a lone CR or a lone LF end a line.
    void SetText(const QString& text);
    // The first line as the memo holds it now. While the memo is shown this
    // is its first displayed line, so a long first line that wraps gives only
    // its first part; while hidden it has no display and gives the whole first
    // line up to the first line end.
    QString FirstLine() const;
signals:
    // A left-button click in the text area; the scroll bar and the mouse
    // wheel scroll and never click. The second press of a double click does
    // not make a second click.
    void clicked();

protected:
    bool viewportEvent(QEvent* event) override;

private:
    ClickTracker click_;
};

}  // namespace orvik
