// The window's controls: change notifications for code and user alike, the
// spin edit's 32-bit range, the combo box that swallows keys, the memo's
// clicks, and the grid's hooks that run before its own cursor movement.
#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>
#include <string>
#include <vector>

#include "ui/check_box.h"
#include "ui/colour.h"
#include "ui/combo_box.h"
#include "ui/label.h"
#include "ui/memo.h"
#include "ui/spin_edit.h"
#include "ui/string_grid.h"
#include "ui/track_bar.h"

using orvik::TCheckBox;
using orvik::TComboBox;
using orvik::TLabel;
using orvik::TMemo;
using orvik::TSpinEdit;
using orvik::TStringGrid;
using orvik::TTrackBar;

using Table = std::vector<std::vector<std::string>>;

namespace {

void SendWheel(QWidget* target, int angleDelta) {
    const QPointF pos(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent wheel(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, angleDelta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

// What the platform delivers for a double click: press, release, double-click
// press, release.
void DoubleClick(QWidget* target, QPoint pos) {
    QTest::mouseClick(target, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(target, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(target, Qt::LeftButton, {}, pos);
}

// The style may shade the selection colour by a step or two.
bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3;
}

Table MakeTable(int cols, int rows, const std::string& prefix) {
    Table t(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) t[c].push_back(prefix + std::to_string(c) + "/" + std::to_string(r));
    return t;
}

// Centre of a cell in viewport coordinates.
QPoint CellCentre(const TStringGrid& grid, int col, int row) {
    return grid.visualRect(grid.model()->index(row, col)).center();
}

enum class Startup { Before, After };

// A grid of `cols` × `rows`, before or after the start-up options, shown at
// `size`; false when it never got exposed.
bool ShowGrid(TStringGrid& grid, int cols, int rows, Startup startup, QSize size = QSize(600, 300)) {
    grid.SetColCount(cols);
    grid.SetRowCount(rows);
    if (startup == Startup::After) grid.ApplyStartupBehaviour();
    grid.resize(size);
    grid.show();
    return QTest::qWaitForWindowExposed(&grid);
}

// An 11 × 13 grid as the window has it after start-up, shown and focused.
bool ShowFocusedStartupGrid(TStringGrid& grid) {
    if (!ShowGrid(grid, 11, 13, Startup::After)) return false;
    grid.setFocus();
    return true;
}

}  // namespace

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void colourNumbers_data();
    void colourNumbers();

    void spinEditKeepsAny32BitValue_data();
    void spinEditKeepsAny32BitValue();
    void spinEditNonIntegerReadsZero_data();
    void spinEditNonIntegerReadsZero();
    void spinEditChangedOnlyWhenTextChanges();
    void spinEditTypingAcceptsOnlyDigitsAndSigns();
    void spinEditStepsByIncrement();

    void checkBoxChangedFromCodeAndClick();
    void checkBoxHandlerRunsNested();

    void trackBarClamps_data();
    void trackBarClamps();
    void trackBarChangedOnlyOnChange();

    void labelClicks();

    void comboSetTextEmitsNothing();
    void comboPickingAnEntryIsUserChange();
    void comboSwallowsKeys_data();
    void comboSwallowsKeys();

    void memoTextAndFirstLine();
    void memoFirstLineIsFirstDisplayedLine();
    void memoClicksOnlyInTextArea();
    void memoLooks();

    void gridShape();
    void gridCellsRoundTrip();
    void gridCountsKeepCurrentCellInRange();
    void gridColAndRowKeepTheOtherCoordinate();
    void gridMousePressMakesCellCurrentFirst();
    void gridOtherPressesKeepCurrentCell_data();
    void gridOtherPressesKeepCurrentCell();
    void gridKeyHandlerRunsBeforeMovement();
    void gridKeyHandlerMayCancelOrRebuild();
    void gridMouseHandlerMayRebuildNested();
    void gridTabBeforeAndAfterStartup();
    void gridCurrentCellColourWithFocus();
    void gridDrawsCellTexts();
    void gridBackgroundColour();
    void gridOverlayDrawnUntilSetCells();
};

// ------------------------------------------------------------------ colours

void WidgetsTest::colourNumbers_data() {
    QTest::addColumn<uint>("number");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("white") << 16777215u << QColor(255, 255, 255);
    QTest::newRow("cyan sustain") << 16776960u << QColor(0, 255, 255);
    QTest::newRow("info label") << 6447871u << QColor(255, 98, 98);
    QTest::newRow("advert picture") << 6947490u << QColor(162, 2, 106);
}

void WidgetsTest::colourNumbers() {
    QFETCH(uint, number);
    QFETCH(QColor, colour);
    QCOMPARE(orvik::ColourFromNumber(number), colour);
}

// ---------------------------------------------------------------- spin edit

void WidgetsTest::spinEditKeepsAny32BitValue_data() {
    QTest::addColumn<int>("value");
    QTest::newRow("negative") << -5;
    QTest::newRow("largest") << 2147483647;
    QTest::newRow("smallest") << static_cast<int>(-2147483647 - 1);
    QTest::newRow("zero") << 0;
}

void WidgetsTest::spinEditKeepsAny32BitValue() {
    QFETCH(int, value);
    TSpinEdit spin;
    spin.SetValue(value);
    QCOMPARE(spin.Value(), value);
    QCOMPARE(spin.Text(), QString::number(value));
    // The same value typed in.
    TSpinEdit typed;
    typed.SetText(QString());
    typed.show();
    typed.setFocus();
    QTest::keyClicks(&typed, QString::number(value));
    QCOMPARE(typed.Value(), value);
}

void WidgetsTest::spinEditNonIntegerReadsZero_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("sign only") << "-";
    QTest::newRow("beyond 32 bits") << "2147483648";
}

void WidgetsTest::spinEditNonIntegerReadsZero() {
    QFETCH(QString, text);
    TSpinEdit spin;
    spin.SetValue(7);
    spin.SetText(text);
    QCOMPARE(spin.Text(), text);
    QCOMPARE(spin.Value(), 0);
}

void WidgetsTest::spinEditChangedOnlyWhenTextChanges() {
    TSpinEdit spin;
    QSignalSpy changed(&spin, &TSpinEdit::changed);
    spin.SetValue(0);  // shows "0" already
    QCOMPARE(changed.count(), 0);
    spin.SetValue(440);
    QCOMPARE(changed.count(), 1);
    spin.SetValue(440);
    QCOMPARE(changed.count(), 1);
    spin.SetText(QStringLiteral("440"));
    QCOMPARE(changed.count(), 1);
    spin.SetText(QStringLiteral("0440"));  // same value, other text
    QCOMPARE(changed.count(), 2);

    spin.SetText(QString());
    changed.clear();
    spin.show();
    spin.setFocus();
    QTest::keyClicks(&spin, QStringLiteral("-12"));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(spin.Value(), -12);
    QTest::keyClick(&spin, Qt::Key_Backspace);
    QCOMPARE(changed.count(), 4);
    QCOMPARE(spin.Value(), -1);
}

void WidgetsTest::spinEditTypingAcceptsOnlyDigitsAndSigns() {
    TSpinEdit spin;
    spin.SetText(QString());
    spin.show();
    spin.setFocus();
    QSignalSpy changed(&spin, &TSpinEdit::changed);
    QTest::keyClicks(&spin, QStringLiteral("1a,2 x+"));
    QCOMPARE(spin.Text(), QStringLiteral("12+"));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(spin.Value(), 0);  // "12+" is no integer
}

void WidgetsTest::spinEditStepsByIncrement() {
    TSpinEdit spin;
    spin.SetIncrement(100);
    spin.SetValue(1000);
    spin.show();
    spin.setFocus();
    QSignalSpy changed(&spin, &TSpinEdit::changed);
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(spin.Value(), 1100);
    QTest::keyClick(&spin, Qt::Key_Down);
    QTest::keyClick(&spin, Qt::Key_Down);
    QCOMPARE(spin.Value(), 900);
    QCOMPARE(changed.count(), 3);
    SendWheel(&spin, 120);
    QCOMPARE(spin.Value(), 1000);

    // Stepping from a text that is no number starts at 0.
    spin.SetText(QStringLiteral("-"));
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(spin.Text(), QStringLiteral("100"));

    // At the end of the 32-bit range the value stops instead of wrapping.
    spin.SetValue(2147483600);
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(spin.Value(), 2147483647);
    spin.SetValue(-2147483600);
    QTest::keyClick(&spin, Qt::Key_Down);
    QCOMPARE(spin.Value(), static_cast<int>(-2147483647 - 1));
}

// ---------------------------------------------------------------- check box

void WidgetsTest::checkBoxChangedFromCodeAndClick() {
    TCheckBox box(QStringLiteral("Aushalten"));
    box.show();
    QSignalSpy changed(&box, &TCheckBox::changed);
    box.setChecked(false);
    QCOMPARE(changed.count(), 0);
    box.setChecked(true);
    QCOMPARE(changed.count(), 1);
    box.setChecked(true);
    QCOMPARE(changed.count(), 1);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, box.height() / 2));
    QVERIFY(!box.isChecked());
    QCOMPARE(changed.count(), 2);
}

void WidgetsTest::checkBoxHandlerRunsNested() {
    TCheckBox a(QStringLiteral("links"));
    TCheckBox b(QStringLiteral("rechts"));
    QStringList log;
    QObject::connect(&a, &TCheckBox::changed, [&] {
        log << QStringLiteral("A begin");
        b.setChecked(true);
        log << QStringLiteral("A end");
    });
    QObject::connect(&b, &TCheckBox::changed, [&] {
        log << QStringLiteral("B %1").arg(b.isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked"));
    });
    a.setChecked(true);
    QCOMPARE(log, QStringList({"A begin", "B checked", "A end"}));
    a.setChecked(false);  // B is checked already: its handler does not run again
    QCOMPARE(log.size(), 5);
    QCOMPARE(log.last(), QStringLiteral("A end"));
}

// ---------------------------------------------------------------- track bar

void WidgetsTest::trackBarClamps_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("expected");
    QTest::newRow("above") << 150 << 100;
    QTest::newRow("below") << -3 << 0;
    QTest::newRow("inside") << 50 << 50;
    QTest::newRow("top") << 100 << 100;
}

void WidgetsTest::trackBarClamps() {
    QFETCH(int, set);
    QFETCH(int, expected);
    TTrackBar bar;
    bar.SetPosition(set);
    QCOMPARE(bar.Position(), expected);
}

void WidgetsTest::trackBarChangedOnlyOnChange() {
    TTrackBar bar;
    QCOMPARE(bar.orientation(), Qt::Horizontal);
    QCOMPARE(bar.tickPosition(), QSlider::TicksBelow);
    QCOMPARE(bar.tickInterval(), 1);
    QSignalSpy changed(&bar, &TTrackBar::changed);
    bar.SetPosition(50);
    QCOMPARE(changed.count(), 1);
    bar.SetPosition(50);
    QCOMPARE(changed.count(), 1);
    bar.SetPosition(100);
    bar.SetPosition(150);  // clamped to the 100 it has
    QCOMPARE(changed.count(), 2);
    bar.show();
    bar.setFocus();
    QTest::keyClick(&bar, Qt::Key_Left);
    QCOMPARE(bar.Position(), 99);
    QCOMPARE(changed.count(), 3);
}

// -------------------------------------------------------------------- label

void WidgetsTest::labelClicks() {
    TLabel label;
    label.setText(QStringLiteral("Info"));
    label.resize(40, 20);
    label.show();
    QSignalSpy clicked(&label, &TLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(6, 6));
    QCOMPARE(clicked.count(), 2);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.count(), 2);
    // Pressed on the label, released beside it: no click.
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(100, 5));
    QCOMPARE(clicked.count(), 2);
    // A double click is one click.
    DoubleClick(&label, QPoint(5, 5));
    QCOMPARE(clicked.count(), 3);

    label.SetBackgroundColour(6447871);
    QVERIFY(label.autoFillBackground());
    QCOMPARE(label.grab().toImage().pixelColor(1, 1), QColor(255, 98, 98));
}

// ---------------------------------------------------------------- combo box

namespace {
const QStringList Modes = {"Halbtöne", "Viertelstöne", "Dezimal Halb", "Dezimal Viertel", "Dezimal  1/20"};
}

void WidgetsTest::comboSetTextEmitsNothing() {
    TComboBox combo;
    combo.addItems(Modes);
    QSignalSpy user(&combo, &TComboBox::userChanged);
    combo.SetText(QStringLiteral("Dezimal  1/20"));
    QCOMPARE(combo.Text(), QStringLiteral("Dezimal  1/20"));
    QCOMPARE(combo.currentIndex(), 4);
    combo.SetText(QStringLiteral("Halbtöne und mehr"));  // no entry of the list
    QCOMPARE(combo.Text(), QStringLiteral("Halbtöne und mehr"));
    QCOMPARE(combo.currentIndex(), -1);
    QCOMPARE(user.count(), 0);
}

void WidgetsTest::comboPickingAnEntryIsUserChange() {
    TComboBox combo;
    combo.addItems(Modes);
    combo.SetText(Modes[0]);
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    QStringList seen;
    QObject::connect(&combo, &TComboBox::userChanged, [&] { seen << combo.Text(); });
    for (int pick : {3, 3}) {  // the entry already shown counts as a choice too
        combo.showPopup();
        QAbstractItemView* view = combo.view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        const QRect item = view->visualRect(view->model()->index(pick, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    }
    QCOMPARE(seen, QStringList({Modes[3], Modes[3]}));
}

void WidgetsTest::comboSwallowsKeys_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("letter") << static_cast<int>(Qt::Key_X);
    QTest::newRow("cursor down") << static_cast<int>(Qt::Key_Down);
    QTest::newRow("backspace") << static_cast<int>(Qt::Key_Backspace);
    QTest::newRow("F4 would open the list") << static_cast<int>(Qt::Key_F4);
}

void WidgetsTest::comboSwallowsKeys() {
    QFETCH(int, key);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* combo = new TComboBox;
    auto* elsewhere = new QLineEdit;
    layout->addWidget(combo);
    layout->addWidget(elsewhere);
    combo->addItems(Modes);
    combo->SetText(Modes[1]);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    combo->setFocus();
    QSignalSpy user(combo, &TComboBox::userChanged);
    int keyDowns = 0;
    QObject::connect(combo, &TComboBox::keyDown, [&] {
        ++keyDowns;
        elsewhere->setFocus();
    });
    QTest::keyClick(combo->lineEdit(), static_cast<Qt::Key>(key));
    QCOMPARE(keyDowns, 1);
    QCOMPARE(combo->Text(), Modes[1]);
    QCOMPARE(combo->currentIndex(), 1);
    QVERIFY(elsewhere->hasFocus());
    QVERIFY(!combo->view()->isVisible());
    QCOMPARE(user.count(), 0);

    // A key while the list is open closes it and changes nothing.
    combo->showPopup();
    QVERIFY(QTest::qWaitForWindowExposed(combo->view()->window()));
    QTest::keyClick(combo->view(), static_cast<Qt::Key>(key));
    QCOMPARE(keyDowns, 2);
    QVERIFY(!combo->view()->isVisible());
    QCOMPARE(combo->Text(), Modes[1]);
    QCOMPARE(user.count(), 0);
}

// --------------------------------------------------------------------- memo

void WidgetsTest::memoTextAndFirstLine() {
    TMemo memo;
    memo.SetText(QStringLiteral("Seite 1 (weiter mit Klick)\r\nzweite Zeile\r\n\r\nvierte"));
    QCOMPARE(memo.blockCount(), 4);
    QCOMPARE(memo.FirstLine(), QStringLiteral("Seite 1 (weiter mit Klick)"));
    QCOMPARE(memo.Text(), QStringLiteral("Seite 1 (weiter mit Klick)\r\nzweite Zeile\r\n\r\nvierte"));
    memo.SetText(QStringLiteral("kurz"));
    QCOMPARE(memo.blockCount(), 1);
    QCOMPARE(memo.FirstLine(), QStringLiteral("kurz"));
    memo.SetText(QString());
    QCOMPARE(memo.FirstLine(), QString());

    // Typing counts at once.
    memo.SetText(QStringLiteral("Seite 2\r\nText"));
    memo.resize(300, 200);
    memo.show();
    memo.setFocus();
    memo.moveCursor(QTextCursor::Start);
    QTest::keyClicks(&memo, QStringLiteral("3 "));
    QCOMPARE(memo.FirstLine(), QStringLiteral("3 Seite 2"));
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(memo.FirstLine(), QStringLiteral("3"));
    QCOMPARE(memo.Text(), QStringLiteral("3\r\nSeite 2\r\nText"));
}

void WidgetsTest::memoFirstLineIsFirstDisplayedLine() {
    TMemo memo;
    QCOMPARE(memo.lineWrapMode(), QPlainTextEdit::WidgetWidth);
    const QString longLine = QStringLiteral("Seite 3 ") + QString(QStringLiteral("wort ")).repeated(60).trimmed();
    memo.SetText(longLine + QStringLiteral("\r\nnoch eine Zeile"));
    QCOMPARE(memo.FirstLine(), longLine);  // hidden: no display, the whole line
    memo.resize(200, 150);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    const QString shown = memo.FirstLine();
    QVERIFY2(shown.size() >= 10 && shown.size() < longLine.size(), qPrintable(shown));
    QVERIFY(longLine.startsWith(shown));
    QVERIFY(shown.contains(QLatin1Char('3')));
    // Right after a new text, before any repaint.
    memo.SetText(longLine);
    QCOMPARE(memo.FirstLine(), shown);
}

void WidgetsTest::memoClicksOnlyInTextArea() {
    TMemo memo;
    QStringList lines;
    for (int i = 0; i < 200; ++i) lines << QStringLiteral("Zeile %1").arg(i);
    memo.SetText(lines.join(QStringLiteral("\r\n")));
    memo.resize(200, 150);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    QSignalSpy clicked(&memo, &TMemo::clicked);

    QTest::mouseClick(memo.viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(memo.viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QCOMPARE(clicked.count(), 1);
    DoubleClick(memo.viewport(), QPoint(20, 20));
    QCOMPARE(clicked.count(), 2);

    QScrollBar* bar = memo.verticalScrollBar();
    QVERIFY(bar->isVisible());
    const int before = bar->value();
    SendWheel(memo.viewport(), -120);
    QVERIFY(bar->value() > before);
    const int afterWheel = bar->value();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - bar->width() - 5));
    QVERIFY(bar->value() > afterWheel);
    QCOMPARE(clicked.count(), 2);
}

void WidgetsTest::memoLooks() {
    TMemo memo;
    QCOMPARE(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(!memo.isReadOnly());
    memo.show();
    QTest::mouseMove(memo.viewport(), QPoint(10, 10));
    QCOMPARE(memo.viewport()->cursor().shape(), Qt::ArrowCursor);
}

// --------------------------------------------------------------------- grid

void WidgetsTest::gridShape() {
    TStringGrid grid;
    grid.SetColCount(11);
    grid.SetRowCount(13);
    QVERIFY(grid.horizontalHeader()->isHidden());
    QVERIFY(grid.verticalHeader()->isHidden());
    QCOMPARE(grid.DefaultColWidth(), 50);
    QCOMPARE(grid.DefaultRowHeight(), 18);
    for (int c = 0; c < 11; ++c) QCOMPARE(grid.columnWidth(c), 50);
    for (int r = 0; r < 13; ++r) QCOMPARE(grid.rowHeight(r), 18);
    grid.SetRowCount(200);
    QCOMPARE(grid.rowHeight(199), 18);
    QCOMPARE(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(grid.showGrid());
    QCOMPARE(grid.BackgroundColour(), 16777215u);
}

void WidgetsTest::gridCellsRoundTrip() {
    TStringGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(3);
    const Table table = {{"440 a1", "", "22000"}, {"Größe", "0", "-5"}};
    grid.SetCells(table);
    QCOMPARE(grid.Cells(), table);
    QCOMPARE(grid.Cell(0, 0), QStringLiteral("440 a1"));
    QCOMPARE(grid.Cell(1, 0), QStringLiteral("Größe"));
    QCOMPARE(grid.model()->data(grid.model()->index(2, 0)).toString(), QStringLiteral("22000"));
    QCOMPARE(grid.Cell(2, 0), QString());  // outside

    // One notification for the whole table.
    QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
    grid.SetCells(MakeTable(2, 3, "x"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(grid.Cell(1, 2), QStringLiteral("x1/2"));

    // A table of another size gives the grid its size.
    grid.SetCells(MakeTable(11, 25, ""));
    QCOMPARE(grid.ColCount(), 11);
    QCOMPARE(grid.RowCount(), 25);
    QCOMPARE(grid.Cells(), MakeTable(11, 25, ""));
}

void WidgetsTest::gridCountsKeepCurrentCellInRange() {
    TStringGrid grid;
    grid.SetColCount(11);
    grid.SetRowCount(200);
    grid.SetCells(MakeTable(11, 200, ""));
    grid.SetCol(10);
    grid.SetRow(150);
    grid.SetRowCount(13);
    QCOMPARE(grid.Row(), 12);
    QCOMPARE(grid.Col(), 10);
    QCOMPARE(grid.Cell(3, 12), QStringLiteral("3/12"));  // the remaining cells keep their texts
    grid.SetRowCount(25);
    QCOMPARE(grid.Row(), 12);
    QCOMPARE(grid.Cell(3, 20), QString());
    QVERIFY(grid.selectionModel()->isSelected(grid.currentIndex()));
}

void WidgetsTest::gridColAndRowKeepTheOtherCoordinate() {
    TStringGrid grid;
    grid.SetColCount(11);
    grid.SetRowCount(13);
    grid.ApplyStartupBehaviour();
    grid.SetCol(3);
    grid.SetRow(12);
    QCOMPARE(grid.Col(), 3);
    QCOMPARE(grid.Row(), 12);
    grid.SetCol(4);  // then the row
    QCOMPARE(grid.Row(), 12);
    grid.SetRow(0);
    QCOMPARE(grid.Col(), 4);
    QCOMPARE(grid.Row(), 0);
    grid.SetCol(11);  // outside: nothing changes
    grid.SetRow(-1);
    QCOMPARE(grid.Col(), 4);
    QCOMPARE(grid.Row(), 0);
    const QModelIndexList selected = grid.selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.front(), grid.currentIndex());
}

void WidgetsTest::gridMousePressMakesCellCurrentFirst() {
    TStringGrid grid;
    QVERIFY(ShowGrid(grid, 11, 13, Startup::After));
    QList<QPoint> seen;
    grid.SetMouseDownHandler([&] { seen << QPoint(grid.Col(), grid.Row()); });
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, 2, 3));
    QCOMPARE(seen, QList<QPoint>({QPoint(2, 3)}));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, 2, 3));
    // The second press of a double click reaches the handler as well.
    DoubleClick(grid.viewport(), CellCentre(grid, 5, 0));
    QCOMPARE(seen, QList<QPoint>({QPoint(2, 3), QPoint(5, 0), QPoint(5, 0)}));
}

void WidgetsTest::gridOtherPressesKeepCurrentCell_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("where");  // cell, or (-1, -1) for the empty area
    QTest::newRow("right button on a cell") << static_cast<int>(Qt::RightButton) << QPoint(0, 1);
    QTest::newRow("middle button on a cell") << static_cast<int>(Qt::MiddleButton) << QPoint(2, 0);
    QTest::newRow("left button beside the cells") << static_cast<int>(Qt::LeftButton) << QPoint(-1, -1);
}

void WidgetsTest::gridOtherPressesKeepCurrentCell() {
    QFETCH(int, button);
    QFETCH(QPoint, where);
    TStringGrid grid;
    QVERIFY(ShowGrid(grid, 3, 3, Startup::Before, QSize(400, 200)));
    grid.SetCol(1);
    grid.SetRow(2);
    QList<QPoint> seen;
    grid.SetMouseDownHandler([&] { seen << QPoint(grid.Col(), grid.Row()); });
    const QPoint pos = where.x() < 0 ? QPoint(300, 100) : CellCentre(grid, where.x(), where.y());
    QCOMPARE(grid.indexAt(pos).isValid(), where.x() >= 0);
    QTest::mouseClick(grid.viewport(), static_cast<Qt::MouseButton>(button), {}, pos);
    QCOMPARE(seen, QList<QPoint>({QPoint(1, 2)}));
    QCOMPARE(QPoint(grid.Col(), grid.Row()), QPoint(1, 2));
}

void WidgetsTest::gridKeyHandlerRunsBeforeMovement() {
    TStringGrid grid;
    QVERIFY(ShowFocusedStartupGrid(grid));
    QList<QPoint> seen;
    QList<int> keys;
    grid.SetKeyDownHandler([&](int& key) {
        keys << key;
        seen << QPoint(grid.Col(), grid.Row());
    });
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Right);
    QTest::keyClick(&grid, Qt::Key_Shift);  // every key reaches the handler
    QCOMPARE(keys, QList<int>({Qt::Key_Down, Qt::Key_Right, Qt::Key_Shift}));
    QCOMPARE(seen, QList<QPoint>({QPoint(0, 0), QPoint(0, 1), QPoint(1, 1)}));
    QCOMPARE(QPoint(grid.Col(), grid.Row()), QPoint(1, 1));
    // Letters and digits do not jump to a matching cell.
    grid.SetCells(MakeTable(11, 13, ""));
    QTest::keyClicks(&grid, QStringLiteral("1/5"));  // would find "1/5"
    QCOMPARE(QPoint(grid.Col(), grid.Row()), QPoint(1, 1));
}

void WidgetsTest::gridKeyHandlerMayCancelOrRebuild() {
    TStringGrid grid;
    QVERIFY(ShowFocusedStartupGrid(grid));
    // The wrap the window's handler does at the bottom of a column.
    grid.SetKeyDownHandler([&](int& key) {
        if (key == Qt::Key_Down && grid.Row() == grid.RowCount() - 1 && grid.Col() < grid.ColCount() - 1) {
            key = 0;
            grid.MoveTo(grid.Col() + 1, 0);
        }
    });
    grid.SetCol(3);
    grid.SetRow(12);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(QPoint(grid.Col(), grid.Row()), QPoint(4, 0));
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(QPoint(grid.Col(), grid.Row()), QPoint(4, 1));

    // A handler that rebuilds the grid to fewer rows and lets events run.
    grid.SetKeyDownHandler([&](int&) {
        grid.SetCells(MakeTable(11, 2, "n"));
        QCoreApplication::processEvents();
    });
    grid.SetRow(10);
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.RowCount(), 2);
    QCOMPARE(QPoint(grid.Col(), grid.Row()), QPoint(4, 0));
    QCOMPARE(grid.Cell(4, 0), QStringLiteral("n4/0"));
}

void WidgetsTest::gridMouseHandlerMayRebuildNested() {
    TStringGrid grid;
    QVERIFY(ShowGrid(grid, 11, 25, Startup::After));
    int depth = 0;
    int maxDepth = 0;
    grid.SetMouseDownHandler([&] {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (depth == 1) {
            // A second click arrives while the first one's tone plays.
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, 1, 1));
            grid.SetCells(MakeTable(11, 13, "r"));
            QCoreApplication::processEvents();
        }
        --depth;
    });
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, 6, 20));
    QCOMPARE(maxDepth, 2);
    QCOMPARE(grid.RowCount(), 13);
    QCOMPARE(QPoint(grid.Col(), grid.Row()), QPoint(1, 1));
    // The grid still takes clicks afterwards.
    grid.SetMouseDownHandler([&] {});
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, 2, 2));
    QCOMPARE(QPoint(grid.Col(), grid.Row()), QPoint(2, 2));
}

void WidgetsTest::gridTabBeforeAndAfterStartup() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new TStringGrid;
    auto* other = new QLineEdit;
    layout->addWidget(grid);
    layout->addWidget(other);
    grid->SetColCount(3);
    grid->SetRowCount(2);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QList<int> keys;
    grid->SetKeyDownHandler([&](int& key) { keys << key; });

    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab);
    QVERIFY(other->hasFocus());
    QCOMPARE(QPoint(grid->Col(), grid->Row()), QPoint(0, 0));
    QVERIFY(keys.isEmpty());
    QCOMPARE(grid->selectionMode(), QAbstractItemView::ContiguousSelection);
    QVERIFY(!grid->verticalScrollBar()->hasTracking());

    grid->ApplyStartupBehaviour();
    QCOMPARE(grid->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(grid->verticalScrollBar()->hasTracking());
    QVERIFY(grid->horizontalScrollBar()->hasTracking());
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab);
    QVERIFY(grid->hasFocus());
    QCOMPARE(QPoint(grid->Col(), grid->Row()), QPoint(1, 0));
    QTest::keyClick(grid, Qt::Key_Tab);
    QTest::keyClick(grid, Qt::Key_Tab);  // past the end of the row
    QCOMPARE(QPoint(grid->Col(), grid->Row()), QPoint(0, 1));
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QPoint(grid->Col(), grid->Row()), QPoint(2, 0));
    QVERIFY(grid->hasFocus());
    QCOMPARE(keys.count(Qt::Key_Tab), 3);
    QCOMPARE(keys.count(Qt::Key_Backtab), 1);
}

void WidgetsTest::gridCurrentCellColourWithFocus() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new TStringGrid;
    layout->addWidget(grid);
    grid->SetColCount(3);
    grid->SetRowCount(3);
    window.resize(300, 200);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    QVERIFY(grid->hasFocus());
    grid->SetCol(1);
    grid->SetRow(1);
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect cell = grid->visualRect(grid->currentIndex());
    const QPoint inside = cell.topLeft() + QPoint(cell.width() * 3 / 4, cell.height() / 2);

    // Before: the current cell of the focused grid is not in the selection
    // colour (only the style's focus frame marks it).
    QVERIFY(!Near(grid->viewport()->grab().toImage().pixelColor(inside), highlight));
    grid->clearFocus();  // without the focus it is
    QVERIFY(Near(grid->viewport()->grab().toImage().pixelColor(inside),
                 grid->palette().color(QPalette::Inactive, QPalette::Highlight)));
    grid->setFocus();
    grid->ApplyStartupBehaviour();
    QVERIFY(grid->hasFocus());
    QVERIFY(Near(grid->viewport()->grab().toImage().pixelColor(inside), highlight));
}

void WidgetsTest::gridDrawsCellTexts() {
    TStringGrid grid;
    QVERIFY(ShowGrid(grid, 3, 3, Startup::Before, QSize(300, 200)));
    grid.SetCells({{"", "", ""}, {"", "8888", ""}, {"", "", "Größe"}});
    const QImage image = grid.viewport()->grab().toImage();
    // Dark text on the white cells.
    const auto inkIn = [&](int col, int row) {
        const QRect cell = grid.visualRect(grid.model()->index(row, col)).adjusted(0, 0, -1, -1);
        int ink = 0;
        for (int y = cell.top(); y < cell.bottom(); ++y)
            for (int x = cell.left(); x < cell.right(); ++x) ink += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        return ink;
    };
    QVERIFY(inkIn(1, 1) > 20);
    QVERIFY(inkIn(2, 2) > 20);
    QCOMPARE(inkIn(1, 0), 0);
    QCOMPARE(inkIn(2, 1), 0);
}

void WidgetsTest::gridBackgroundColour() {
    TStringGrid grid;
    QVERIFY(ShowGrid(grid, 2, 2, Startup::Before, QSize(300, 200)));
    grid.SetBackgroundColour(16776960);
    QCOMPARE(grid.BackgroundColour(), 16776960u);
    const QImage image = grid.viewport()->grab().toImage();
    const QColor cyan(0, 255, 255);
    QCOMPARE(image.pixelColor(250, 150), cyan);                                // beside the cells
    QCOMPARE(image.pixelColor(CellCentre(grid, 1, 1) + QPoint(15, 0)), cyan);  // a cell
    grid.SetBackgroundColour(16777215);
    QCOMPARE(grid.viewport()->grab().toImage().pixelColor(250, 150), QColor(255, 255, 255));
}

void WidgetsTest::gridOverlayDrawnUntilSetCells() {
    TStringGrid grid;
    QVERIFY(ShowGrid(grid, 11, 13, Startup::Before));
    const QColor purple = orvik::ColourFromNumber(6947490);
    QVERIFY(!grid.HasOverlay());
    grid.SetOverlay([&](QPainter& painter) {
        painter.setPen(purple);
        painter.drawPoint(120, 40);
        painter.fillRect(QRect(200, 100, 5, 5), purple);
    });
    QVERIFY(grid.HasOverlay());
    QImage image = grid.viewport()->grab().toImage();
    QCOMPARE(image.pixelColor(120, 40), purple);
    QCOMPARE(image.pixelColor(202, 102), purple);

    grid.SetCells(MakeTable(11, 13, ""));
    QVERIFY(!grid.HasOverlay());
    image = grid.viewport()->grab().toImage();
    QVERIFY(image.pixelColor(202, 102) != purple);

    grid.SetOverlay([&](QPainter& painter) { painter.fillRect(QRect(200, 100, 5, 5), purple); });
    grid.ClearOverlay();
    QVERIFY(grid.viewport()->grab().toImage().pixelColor(202, 102) != purple);
}

QTEST_MAIN(WidgetsTest)
#include "widgets_test.moc"
