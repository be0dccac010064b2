// The colours the window sets itself (the table's white and cyan, the current
// cell, the "Info" and "Kalvano" labels) stay readable whatever the desktop's
// theme: under a dark palette, as Breeze Dark, Adwaita-dark and qt6ct's
// "darker" hand it to Qt, the text drawn on them is measured from the
// rendered pixels against the usual 4.5:1 minimum for text.
#include <QApplication>
#include <QPalette>
#include <QTest>
#include <cmath>

#include "fakes.h"
#include "ui/check_box.h"
#include "ui/label.h"
#include "ui/string_grid.h"

using namespace orvik;
using namespace orvik::testing;

namespace {

double Luminance(QRgb pixel) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

double Contrast(QRgb a, QRgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Measured {
    QRgb background = 0;
    double contrast = 0;  // of the pixel most unlike the background
};

// The background is the colour of most pixels in the area; the text is the
// pixel that differs from it most.
Measured Measure(const QImage& image, const QRect& area) {
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++counts[image.pixel(x, y)];
    Measured m;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), m.background = it.key();
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        m.contrast = std::max(m.contrast, Contrast(it.key(), m.background));
    return m;
}

// Light text on dark panels and fields, with a pale highlight: what the dark
// themes above make of Qt's palette.
QPalette DarkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x2a, 0x2e, 0x32));
    p.setColor(QPalette::WindowText, QColor(0xfc, 0xfc, 0xfc));
    p.setColor(QPalette::Base, QColor(0x1b, 0x1e, 0x20));
    p.setColor(QPalette::AlternateBase, QColor(0x23, 0x26, 0x29));
    p.setColor(QPalette::Text, QColor(0xfc, 0xfc, 0xfc));
    p.setColor(QPalette::Button, QColor(0x31, 0x36, 0x3b));
    p.setColor(QPalette::ButtonText, QColor(0xfc, 0xfc, 0xfc));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    p.setColor(QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
    return p;
}

QRect CellRect(TStringGrid* grid, int c, int r) {
    return grid->visualRect(grid->model()->index(r, c)).adjusted(1, 1, -1, -1);
}

}  // namespace

class ThemeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setPalette(DarkPalette()); }

    void tableTextIsReadableOnWhiteAndCyan() {
        Rig rig;
        rig.form->show();
        TStringGrid* grid = rig.form->StringGrid1;
        // A cell that is not the current one, plain white.
        const Measured white = Measure(grid->viewport()->grab().toImage(), CellRect(grid, 5, 3));
        QCOMPARE(white.background, qRgb(255, 255, 255));
        QVERIFY2(white.contrast >= 4.5, qPrintable(QString::number(white.contrast)));

        rig.form->CheckBox1->setChecked(true);  // "Aushalten": the table turns cyan
        QApplication::processEvents();
        const Measured cyan = Measure(grid->viewport()->grab().toImage(), CellRect(grid, 5, 3));
        QCOMPARE(cyan.background, qRgb(0, 255, 255));
        QVERIFY2(cyan.contrast >= 4.5, qPrintable(QString::number(cyan.contrast)));
    }

    void currentCellIsReadable() {
        Rig rig;
        rig.form->show();
        TStringGrid* grid = rig.form->StringGrid1;
        rig.clickCell(5, 3);
        // Shown as current both while the table has the focus and while another
        // control has it.
        for (bool focused : {true, false}) {
            if (focused)
                grid->setFocus();
            else
                rig.form->CheckBox1->setFocus();
            QApplication::processEvents();
            const Measured m = Measure(grid->viewport()->grab().toImage(), CellRect(grid, 5, 3).adjusted(2, 2, -2, -2));
            QVERIFY2(m.contrast >= 4.5, qPrintable(QStringLiteral("focused %1: %2").arg(focused).arg(m.contrast)));
        }
    }

    void labelsAreReadable() {
        Rig rig;
        rig.form->show();
        for (TLabel* label : {rig.form->Label4, rig.form->Vanok}) {
            const QImage image = label->grab().toImage();
            const Measured m = Measure(image, image.rect());
            QVERIFY2(m.contrast >= 4.5, qPrintable(label->text() + QStringLiteral(": ") + QString::number(m.contrast)));
        }
    }
};

QTEST_MAIN(ThemeTest)
#include "theme_test.moc"
