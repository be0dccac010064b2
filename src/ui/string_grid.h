#pragma once
#include <QString>
#include <QTableView>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QPainter;

namespace orvik {

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
