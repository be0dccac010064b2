#pragma once
// The small controls of Orvik's window. Each one adds to a Qt widget the
// behaviour the window's handlers were written against: change notifications
// that fire for changes made by code as well as by the user (and never for a
// "change" to the same state), clickable labels, a spin edit that keeps any
// 32-bit value, and a text grid whose mouse and key hooks run before its own
// cursor movement.
//
// Colour numbers throughout: low byte red, then green, then blue.
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSlider>
#include <QString>
#include <QTableView>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QPainter;

namespace orvik {

QColor ColourFromNumber(uint32_t colourNumber);

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

// Horizontal track bar 0..100 with a tick below every position.
// Assistive technology reads its value as the percentage ("50%").
class TTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TTrackBar(QWidget* parent = nullptr);
    int Position() const;
    void SetPosition(int p);  // clamped to 0..100
signals:
    // The position changed, by the user or by code.
    void changed();
};

// Turns a left-button press and release inside an area into one click, as
// labels and the memo need; the second press of a double click is no new one.
class LeftClick {
public:
    void pressed(const QMouseEvent* event);
    void doubleClicked() { down_ = false; }
    // True when this release completes a click inside `area`.
    bool released(const QMouseEvent* event, const QRect& area);

private:
    bool down_ = false;
};

// Label that takes clicks: clicked() when the left button, pressed on the
// label, is released over it. As with the classic toolkit, the second press of
// a double click does not make a second click.
class TLabel : public QLabel {
    Q_OBJECT
public:
    // Whether a click on the label does something. Assistive technology sees
    // a label that acts as a button with a press action that emits
    // clicked(); a plain caption stays a caption. Given at construction,
    // because a screen reader may ask about the label as soon as it exists.
    enum class Kind { Caption, ActsOnClick };

    explicit TLabel(QWidget* parent = nullptr, Kind kind = Kind::Caption);
    void SetBackgroundColour(uint32_t colourNumber);
    bool ActsOnClick() const { return kind_ == Kind::ActsOnClick; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    LeftClick click_;
    Kind kind_;
};

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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    LeftClick click_;
};

class TStringGridModel;
class TStringGridDelegate;

// Grid of text cells over a model of its own. No header rows or columns, fixed
// section sizes, no editing, grid lines, one current cell (Col, Row; 0-based).
class TStringGrid : public QTableView {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    int ColCount() const;
    int RowCount() const;
    // Changing a count keeps the cell texts that remain; the current cell is
    // kept, moved into the new range when it falls outside.
    void SetColCount(int count);
    void SetRowCount(int count);

    int Col() const;
    int Row() const;
    // The other coordinate is kept; a value outside the grid changes nothing.
    void SetCol(int c);
    void SetRow(int r);
    // Both at once, so a screen reader hears only the cell the cursor lands
    // on; a cell outside the grid changes nothing.
    void MoveTo(int col, int row);

    QString Cell(int col, int row) const;  // empty outside the grid
    // Replaces every cell, [col][row], UTF-8, with one model notification and
    // clears the overlay. The table should have ColCount columns of RowCount
    // rows; when it has not, the grid takes the table's column count and the
    // row count of its first column, and missing cells become empty.
    void SetCells(const std::vector<std::vector<std::string>>& table);
    std::vector<std::vector<std::string>> Cells() const;

    int DefaultColWidth() const { return 50; }
    int DefaultRowHeight() const { return 18; }

    // Colour of the cells and of the empty area beside them.
    void SetBackgroundColour(uint32_t colourNumber);
    uint32_t BackgroundColour() const { return backgroundColour_; }

    // Until called: ranges of cells can be selected, Tab leaves the grid, the
    // current cell is drawn without the selection colour while the grid has
    // the focus, the view moves only when the scroll thumb is let go. After:
    // one cell is selected (the current one), Tab and Shift+Tab move to the
    // next and previous cell, the current cell is drawn in the selection
    // colour also with the focus, the view follows the thumb while dragged.
    void ApplyStartupBehaviour();

    // Runs for every mouse button press in the cell area, the second press of
    // a double click included. A left press on a cell makes it the current
    // cell before the handler runs; any other press leaves the current cell.
    void SetMouseDownHandler(std::function<void()> handler);
    // Runs for every key press before the grid's own cursor movement, with the
    // Qt::Key code. Setting key to 0 cancels the grid's own handling of the key.
    void SetKeyDownHandler(std::function<void(int& key)> handler);

    // A drawing painted over the cells, in viewport coordinates, on every
    // repaint until the next SetCells or ClearOverlay.
    void SetOverlay(std::function<void(QPainter&)> paint);
    void ClearOverlay();
    bool HasOverlay() const { return static_cast<bool>(overlay_); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Typing a letter or digit does not jump to a matching cell.
    void keyboardSearch(const QString& search) override;

private:
    void RunMouseDownHandler();

    TStringGridModel* model_;
    TStringGridDelegate* delegate_;
    std::function<void()> mouseDownHandler_;
    std::function<void(int&)> keyDownHandler_;
    std::function<void(QPainter&)> overlay_;
    uint32_t backgroundColour_ = 16777215;
};

}  // namespace orvik
