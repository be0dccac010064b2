// Whatever a user types or a settings file holds: the window answers with the
// right German message, or none, and goes on working.
#include <QRandomGenerator>
#include <QTest>

#include "fakes.h"
#include "ui/edit.h"

using namespace orvik;
using namespace orvik::testing;

namespace {

// After every case the window must still play a plain click.
void stillWorks(Rig& rig) {
    rig.audio.images.clear();
    rig.boxes.errors.clear();
    rig.form->SpinEdit1->SetValue(1000);
    rig.form->SEKammerton->SetValue(440);
    rig.form->ComboBox1->SetText("Halbtöne");
    rig.form->ComboBox1Change(nullptr);
    rig.clickCell(5, 0);
    QCOMPARE(rig.boxes.errors, QStringList());
    QCOMPARE(rig.audio.images.size(), std::size_t{1});
}

}  // namespace

class ExtremesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void durationsFromTheField_data() {
        QTest::addColumn<int>("milliseconds");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("frames");  // of the one image played, when no error
        QTest::newRow("one unit") << 10 << "" << 441;
        QTest::newRow("below one unit") << 9 << "" << 0;
        QTest::newRow("first overflowing length") << 12173950 << "Integerüberlauf." << 0;
        QTest::newRow("largest field value") << 2147483647 << "Integerüberlauf." << 0;
        QTest::newRow("negative") << -10 << "Fehler bei Bereichsprüfung." << 0;
        QTest::newRow("smallest field value") << int(-2147483647 - 1) << "Fehler bei Bereichsprüfung." << 0;
    }
    void durationsFromTheField() {
        QFETCH(int, milliseconds);
        QFETCH(QString, error);
        QFETCH(int, frames);
        Rig rig;
        rig.form->SpinEdit1->SetValue(milliseconds);
        rig.clickCell(5, 0);
        QCOMPARE(rig.boxes.errors, error.isEmpty() ? QStringList() : QStringList{error});
        if (error.isEmpty()) {
            QCOMPARE(rig.audio.images.size(), std::size_t{1});
            QCOMPARE(rig.audio.images[0].size(), std::size_t(44 + 4 * frames));
        } else {
            QVERIFY(rig.audio.images.empty());
        }
        stillWorks(rig);
    }

    void frequencyEntries_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("plays");
        // One row a line, as a table.
        // clang-format off
        QTest::newRow("huge positive") << "1e308" << "Frequenz zu hoch" << "" << false;
        QTest::newRow("huge negative") << "-1e308" << "" << "Gleitkommaüberlauf." << false;
        QTest::newRow("beyond double") << "1e400" << "" << "'1e400' ist kein gültiger Gleitkommawert." << false;
        QTest::newRow("inf") << "inf" << "" << "'inf' ist kein gültiger Gleitkommawert." << false;
        QTest::newRow("nan") << "nan" << "" << "'nan' ist kein gültiger Gleitkommawert." << false;
        QTest::newRow("exponent") << "4,4e2" << "" << "" << true;
        QTest::newRow("many decimals") << "440,00000000000000000000000000001" << "" << "" << true;
        QTest::newRow("negative frequency") << "-22001" << "" << "" << true;
        QTest::newRow("tiny") << "1e-300" << "" << "" << true;
        QTest::newRow("sign only") << "-" << "" << "'-' ist kein gültiger Gleitkommawert." << false;
        QTest::newRow("empty") << "" << "" << "'' ist kein gültiger Gleitkommawert." << false;
        // clang-format on
    }
    void frequencyEntries() {
        QFETCH(QString, entry);
        QFETCH(QString, message);
        QFETCH(QString, error);
        QFETCH(bool, plays);
        Rig rig;
        rig.form->EFrequenz->setText(entry);
        QTest::mouseDClick(rig.form->EFrequenz, Qt::LeftButton);
        QCOMPARE(rig.boxes.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(rig.boxes.errors, error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(rig.audio.images.size(), std::size_t(plays ? 1 : 0));
        stillWorks(rig);
    }

    void concertPitches_data() {
        QTest::addColumn<int>("concertPitch");
        QTest::addColumn<QString>("directError");  // calling the rebuild without its own handling
        QTest::addColumn<QString>("col0row0");     // what the field leaves in the grid
        // One row a line, as a table.
        // clang-format off
        QTest::newRow("last before overflow") << 67108863 << "" << "";
        QTest::newRow("overflow above") << 67108864 << "Integerüberlauf" << "14";
        QTest::newRow("lowest before overflow") << -67108864 << "ist kein gültiger Integerwert" << "-2097152";
        QTest::newRow("overflow below") << -67108865 << "Integerüberlauf" << "14";
        QTest::newRow("every cell above the limit") << 704032 << "" << "";
        QTest::newRow("just below the limit") << 704031 << "" << "22001";
        // clang-format on
    }
    void concertPitches() {
        QFETCH(int, concertPitch);
        QFETCH(QString, directError);
        QFETCH(QString, col0row0);
        Rig rig;
        rig.form->ComboBox1->SetText("Dezimal Halb");
        rig.form->SEKammerton->SetValue(concertPitch);  // through the field: always silent
        QCOMPARE(rig.boxes.errors, QStringList());
        QCOMPARE(rig.cell(0, 0), col0row0);
        QString raised;
        try {
            rig.form->ComboBox1Change(nullptr);
        } catch (const std::exception& e) {
            raised = QString::fromUtf8(e.what());
        }
        QVERIFY2(directError.isEmpty() ? raised.isEmpty() : raised.endsWith(directError), qPrintable(raised));
        stillWorks(rig);
    }

    void settingsFilesOfEveryKind_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("loads");
        QByteArray megabyte("2000\r\n\r\nViertelst\xF6ne\r\n60\r\n441\r\n");
        while (megabyte.size() < (1 << 20)) megabyte += "ein langer Rest, der nicht gelesen wird\r\n";
        QTest::newRow("a megabyte") << megabyte << true;
        QByteArray noise(1 << 16, '\0');
        QRandomGenerator random(1234);
        for (auto& b : noise) b = char(random.bounded(256));
        QTest::newRow("binary noise") << noise << false;
        QTest::newRow("a megabyte line") << QByteArray(1 << 20, '7') << false;
    }
    void settingsFilesOfEveryKind() {
        QFETCH(QByteArray, file);
        QFETCH(bool, loads);
        Rig rig(file);
        if (loads) {
            QCOMPARE(rig.boxes.errors, QStringList());
            QCOMPARE(rig.form->SpinEdit1->Value(), 2000);
            QCOMPARE(rig.form->StringGrid1->RowCount(), 25);
        }
        QVERIFY(rig.boxes.errors.size() <= 1);
        QCOMPARE(rig.readSettings(), file);
        stillWorks(rig);
    }
};

QTEST_MAIN(ExtremesTest)
#include "extremes_test.moc"
