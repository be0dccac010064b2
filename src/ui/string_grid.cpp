#include "ui/string_grid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <algorithm>
#include <optional>
#include <utility>

#include "ui/colour.h"

namespace orvik {

// Cells by column, then row, in one block; the grid asks for nothing but the
// display text.
class TStringGridModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : cols_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!Contains(index.column(), index.row())) return {};
        const QString& text = cells_[Offset(index.column(), index.row())];
        if (role == Qt::DisplayRole) return text;
        // A screen reader speaks a cell as one line ("440 a1"), and an
        // empty one as empty rather than as nothing.
        if (role == Qt::AccessibleTextRole)
            return text.trimmed().isEmpty() ? QStringLiteral("leer") : text.simplified();
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    bool Contains(int col, int row) const { return col >= 0 && col < cols_ && row >= 0 && row < rows_; }
    const QString& At(int col, int row) const { return cells_[Offset(col, row)]; }

    void Resize(int cols, int rows) {
        cols = std::max(cols, 0);
        rows = std::max(rows, 0);
        if (cols == cols_ && rows == rows_) return;
        beginResetModel();
        std::vector<QString> cells(static_cast<size_t>(cols) * static_cast<size_t>(rows));
        for (int c = 0; c < std::min(cols, cols_); ++c)
            for (int r = 0; r < std::min(rows, rows_); ++r)
                cells[static_cast<size_t>(c) * static_cast<size_t>(rows) + static_cast<size_t>(r)] =
                    std::move(cells_[Offset(c, r)]);
        cells_ = std::move(cells);
        cols_ = cols;
        rows_ = rows;
        endResetModel();
    }

    // Every cell rewritten, then one notification for the whole block.
    void SetAll(const std::vector<std::vector<std::string>>& table) {
        for (int c = 0; c < cols_; ++c) {
            const std::vector<std::string>* column = c < static_cast<int>(table.size()) ? &table[c] : nullptr;
            for (int r = 0; r < rows_; ++r) {
                QString& cell = cells_[Offset(c, r)];
                if (column && r < static_cast<int>(column->size())) {
                    const std::string& s = (*column)[r];
                    cell = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
                } else {
                    cell.clear();
                }
            }
        }
        if (cols_ > 0 && rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole});
    }

private:
    size_t Offset(int col, int row) const {
        return static_cast<size_t>(col) * static_cast<size_t>(rows_) + static_cast<size_t>(row);
    }

    int cols_ = 0;
    int rows_ = 0;
    std::vector<QString> cells_;
};

// Draws plain cells cheaply, and the current cell with or without the
// selection colour while the grid has the focus (Qt always highlights it).
class TStringGridDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool drawFocusSelected = false;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!(option.state & (QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver))) {
            PaintPlain(painter, option, index);
            return;
        }
        if (drawFocusSelected || !(option.state & QStyle::State_HasFocus)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_Selected;
        // The view has painted the cell's panel in the selection colour already.
        painter->fillRect(option.rect, option.palette.brush(QPalette::Base));
        QStyledItemDelegate::paint(painter, plain, index);
    }

private:
    // A cell that is neither selected, current nor under the mouse: its text
    // only, without the style's item panel, which costs several times more to
    // draw and shows nothing here. The 200-row table has 2200 such cells.
    void PaintPlain(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty()) return;
        // Placed exactly where the style places the text of a selected cell.
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int top = option.rect.top() + (option.rect.height() - TextHeight(option.font)) / 2;
        const QRect area(option.rect.left() + margin, top, option.rect.width() - margin,
                         option.rect.bottom() - top + 1);
        painter->save();
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        painter->restore();
    }

    // The height the style gives a line of text in this font, measured the
    // way the style measures it.
    int TextHeight(const QFont& font) const {
        if (!heightFont_ || *heightFont_ != font) {
            QTextLayout layout(QStringLiteral("0"), font);
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            textHeight_ = layout.boundingRect().size().toSize().height();
            heightFont_ = font;
        }
        return textHeight_;
    }

    mutable std::optional<QFont> heightFont_;
    mutable int textHeight_ = 0;
};

TStringGrid::TStringGrid(QWidget* parent)
    : QTableView(parent), model_(new TStringGridModel(this)), delegate_(new TStringGridDelegate(this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->hide();
        header->setMinimumSectionSize(1);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    horizontalHeader()->setDefaultSectionSize(DefaultColWidth());
    verticalHeader()->setDefaultSectionSize(DefaultRowHeight());
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);  // a narrow cell clips its text
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(false);
    horizontalScrollBar()->setTracking(false);
    verticalScrollBar()->setTracking(false);
    SetBackgroundColour(backgroundColour_);
    model_->Resize(5, 5);
    MoveTo(0, 0);
}

TStringGrid::~TStringGrid() = default;

int TStringGrid::ColCount() const { return model_->columnCount(); }
int TStringGrid::RowCount() const { return model_->rowCount(); }

void TStringGrid::SetColCount(int count) {
    const int col = Col();
    const int row = Row();
    if (std::max(count, 0) == ColCount()) return;
    model_->Resize(count, RowCount());
    MoveTo(std::min(col, ColCount() - 1), std::min(row, RowCount() - 1));
}

void TStringGrid::SetRowCount(int count) {
    const int col = Col();
    const int row = Row();
    if (std::max(count, 0) == RowCount()) return;
    model_->Resize(ColCount(), count);
    MoveTo(std::min(col, ColCount() - 1), std::min(row, RowCount() - 1));
}

int TStringGrid::Col() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

int TStringGrid::Row() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : 0;
}

void TStringGrid::SetCol(int c) { MoveTo(c, Row()); }
void TStringGrid::SetRow(int r) { MoveTo(Col(), r); }

void TStringGrid::MoveTo(int col, int row) {
    if (!model_->Contains(col, row)) return;
    // The selection collapses onto the new current cell, as after a click.
    selectionModel()->setCurrentIndex(model_->index(row, col), QItemSelectionModel::ClearAndSelect);
}

QString TStringGrid::Cell(int col, int row) const {
    return model_->Contains(col, row) ? model_->At(col, row) : QString();
}

void TStringGrid::SetCells(const std::vector<std::vector<std::string>>& table) {
    const int cols = static_cast<int>(table.size());
    const int rows = table.empty() ? 0 : static_cast<int>(table.front().size());
    if (cols != ColCount()) SetColCount(cols);
    if (rows != RowCount()) SetRowCount(rows);
    ClearOverlay();
    model_->SetAll(table);
}

std::vector<std::vector<std::string>> TStringGrid::Cells() const {
    std::vector<std::vector<std::string>> table(static_cast<size_t>(ColCount()));
    for (int c = 0; c < ColCount(); ++c) {
        table[c].reserve(static_cast<size_t>(RowCount()));
        for (int r = 0; r < RowCount(); ++r) table[c].push_back(model_->At(c, r).toStdString());
    }
    return table;
}

void TStringGrid::SetBackgroundColour(uint32_t colourNumber) {
    backgroundColour_ = colourNumber;
    QPalette p = palette();
    p.setColor(QPalette::Base, ColourFromNumber(colourNumber));
    // The table's colours are its own, whatever the theme: black text on the
    // white or cyan, and the current cell navy with white text, as on the
    // desktop the window was designed for. A dark theme's light text would
    // vanish on them.
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x00, 0x00, 0x80));
    p.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(p);
    viewport()->update();
}

void TStringGrid::ApplyStartupBehaviour() {
    setSelectionMode(QAbstractItemView::SingleSelection);
    const QModelIndex current = currentIndex();
    if (current.isValid()) selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    setTabKeyNavigation(true);
    delegate_->drawFocusSelected = true;
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    viewport()->update();
}

void TStringGrid::SetMouseDownHandler(std::function<void()> handler) { mouseDownHandler_ = std::move(handler); }

void TStringGrid::SetKeyDownHandler(std::function<void(int& key)> handler) { keyDownHandler_ = std::move(handler); }

void TStringGrid::SetOverlay(std::function<void(QPainter&)> paint) {
    overlay_ = std::move(paint);
    viewport()->update();
}

void TStringGrid::ClearOverlay() {
    if (!overlay_) return;
    overlay_ = nullptr;
    viewport()->update();
}

void TStringGrid::RunMouseDownHandler() {
    // A copy, so that a handler replacing itself does not pull the rug out.
    const std::function<void()> handler = mouseDownHandler_;
    if (handler) handler();
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
        QTableView::mousePressEvent(event);  // makes the cell current
        // Ctrl+click would deselect the one selected cell; it stays selected.
        const QModelIndex current = currentIndex();
        if (selectionMode() == QAbstractItemView::SingleSelection && current.isValid() &&
            !selectionModel()->isSelected(current))
            selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    } else {
        event->accept();
    }
    // Nothing after the handler: it may play a tone that runs nested event
    // loops, rebuild the cells or hide the grid.
    RunMouseDownHandler();
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first press has made the cell current already.
    event->accept();
    RunMouseDownHandler();
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    const std::function<void(int&)> handler = keyDownHandler_;
    if (handler) handler(key);
    if (key == 0) {
        event->accept();
        return;
    }
    if (key == event->key()) {
        QTableView::keyPressEvent(event);
        return;
    }
    // The handler turned the key into another one.
    QKeyEvent substitute(event->type(), key, event->modifiers(), event->nativeScanCode(), event->nativeVirtualKey(),
                         event->nativeModifiers(), QString(), event->isAutoRepeat(),
                         static_cast<quint16>(event->count()));
    QTableView::keyPressEvent(&substitute);
    event->setAccepted(substitute.isAccepted());
}

void TStringGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!overlay_) return;
    const std::function<void(QPainter&)> paint = overlay_;
    QPainter painter(viewport());
    paint(painter);
}

void TStringGrid::keyboardSearch(const QString& /*search*/) {}

}  // namespace orvik
