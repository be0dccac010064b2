// What assistive technology (a screen reader through AT-SPI) learns of the
// window: every control named, the clickable labels operable, the slider's
// value as the percentage shown, and the table's cells named by their text.
#include <QAccessible>
#include <QPushButton>
#include <QTest>

#include "core/info_pages.h"
#include "fakes.h"
#include "ui/edit.h"

using namespace orvik;
using namespace orvik::testing;

namespace {

QAccessibleInterface* accessible(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    if (!iface) qFatal("no accessible interface");
    return iface;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasANameAndRole() {
        Rig rig;
        TForm1& f = *rig.form;
        struct Expected {
            QWidget* widget;
            QString name;
            QAccessible::Role role;
        };
        const Expected controls[] = {
            {f.Bschliessen, "Schliessen", QAccessible::Button},
            {f.SpinEdit1, "Länge [ms]", QAccessible::SpinBox},
            {f.EFrequenz, "Frequenz[Hz]", QAccessible::EditableText},
            {f.CheckBox1, "Aushalten", QAccessible::CheckBox},
            {f.BStop, "Stop", QAccessible::Button},
            {f.ComboBox1, "Halbtöne", QAccessible::ComboBox},
            {f.SEKammerton, "Kammerton a1 [Hz]", QAccessible::SpinBox},
            {f.TrackBar1, "Lautstärke", QAccessible::Slider},
            {f.CBlinks, "links", QAccessible::CheckBox},
            {f.CBrechts, "rechts", QAccessible::CheckBox},
            {f.Label4, "Info", QAccessible::Button},
            {f.Vanok, "Kalvano", QAccessible::Button},
            {f.StringGrid1, "Frequenztabelle", QAccessible::Table},
            {f.Memo1, "Infotext", QAccessible::EditableText},
        };
        for (const Expected& c : controls) {
            QAccessibleInterface* iface = accessible(c.widget);
            QCOMPARE(iface->text(QAccessible::Name), c.name);
            QCOMPARE(iface->role(), c.role);
        }
        // The hints stay the descriptions; the captions point at what they name.
        QCOMPARE(accessible(f.SpinEdit1)->text(QAccessible::Description), f.SpinEdit1->toolTip());
        QCOMPARE(f.Label1->buddy(), f.SpinEdit1);
        QCOMPARE(f.Label2->buddy(), f.EFrequenz);
        QCOMPARE(f.Label3->buddy(), f.TrackBar1);
        // Plain captions stay labels without actions.
        QCOMPARE(accessible(f.Label1)->role(), QAccessible::StaticText);
    }

    void valuesReadAsShown() {
        Rig rig;
        TForm1& f = *rig.form;
        QAccessibleInterface* slider = accessible(f.TrackBar1);
        QCOMPARE(slider->text(QAccessible::Value), QString("50%"));
        QCOMPARE(slider->valueInterface()->currentValue().toInt(), 50);
        slider->valueInterface()->setCurrentValue(80);
        QCOMPARE(f.LLaut->text(), QString("80%"));
        QCOMPARE(slider->text(QAccessible::Value), QString("80%"));
        slider->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
        QCOMPARE(f.TrackBar1->Position(), 81);

        // Spin edits report the number they show, the unbounded ones too.
        QCOMPARE(accessible(f.SpinEdit1)->valueInterface()->currentValue().toInt(), 1000);
        f.SEKammerton->SetValue(-7);
        QCOMPARE(accessible(f.SEKammerton)->valueInterface()->currentValue().toInt(), -7);
    }

    void labelsThatActArePressable() {
        Rig rig;
        TForm1& f = *rig.form;
        f.show();
        QAccessibleActionInterface* info = accessible(f.Label4)->actionInterface();
        QVERIFY(info);
        QVERIFY(info->actionNames().contains(QAccessibleActionInterface::pressAction()));
        info->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(f.Memo1->isVisible());
        QVERIFY(!f.StringGrid1->isVisible());
        const QString page1 = QString::fromUtf8(InfoPage1.data(), qsizetype(InfoPage1.size()));
        QCOMPARE(f.Memo1->FirstLine(), page1.left(page1.indexOf('\r')));
        // The help text is readable as text.
        QAccessibleTextInterface* text = accessible(f.Memo1)->textInterface();
        QVERIFY(text);
        QVERIFY(text->text(0, text->characterCount()).startsWith(f.Memo1->FirstLine()));

        const QString directory = QFileInfo(rig.environment.program).absolutePath() + '/';
        rig.launcher.accepted = {directory + "kalvano.exe"};
        accessible(f.Vanok)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(rig.launcher.calls, QStringList{directory + "kalvano.exe"});
    }

    // The focus event a screen reader announces as the cursor moves is
    // checked end to end, through AT-SPI: the offscreen platform sends none.
    void cellsHaveTheirTextAsName() {
        Rig rig;
        TForm1& f = *rig.form;
        QAccessibleTableInterface* table = accessible(f.StringGrid1)->tableInterface();
        QVERIFY(table);
        // The cell's row and column come with it.
        QAccessibleInterface* cell = table->cellAt(1, 5);
        QVERIFY(cell && cell->tableCellInterface());
        QCOMPARE(cell->text(QAccessible::Name), QString("466"));
        QCOMPARE(cell->tableCellInterface()->rowIndex(), 1);
        QCOMPARE(cell->tableCellInterface()->columnIndex(), 5);
        QCOMPARE(table->cellAt(0, 5)->text(QAccessible::Name), QString("440 a1"));
        // Spoken on one line; an empty cell says it is empty.
        std::vector<std::vector<std::string>> cells(11, std::vector<std::string>(13));
        cells[0][0] = "440 \na1";
        cells[0][1] = "  ";
        f.StringGrid1->SetCells(cells);
        QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), QString("440 a1"));
        QCOMPARE(table->cellAt(1, 0)->text(QAccessible::Name), QString("leer"));
        QCOMPARE(table->cellAt(2, 0)->text(QAccessible::Name), QString("leer"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
