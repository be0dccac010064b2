// The window's wiring: start-up state, tone requests, repetition, volume and
// channels, and the modes of the table, all on fake platform services.
#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "core/errors.h"
#include "fakes.h"
#include "ui/application.h"
#include "ui/edit.h"

using namespace orvik;
using namespace orvik::testing;

class FormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void startsWithTheDesignValues() {
        Rig rig;
        TForm1& f = *rig.form;
        QCOMPARE(f.windowTitle(), QString("Orvik"));
        QCOMPARE(f.SpinEdit1->Value(), 1000);
        QCOMPARE(f.SEKammerton->Value(), 440);
        QCOMPARE(f.ComboBox1->Text(), QString("Halbtöne"));
        QCOMPARE(f.TrackBar1->Position(), 50);
        QCOMPARE(f.LLaut->text(), QString("50%"));
        QVERIFY(f.CBlinks->isChecked() && f.CBrechts->isChecked());
        QVERIFY(!f.CheckBox1->isChecked());
        QVERIFY(!f.BStop->isEnabled());
        QVERIFY(f.StringGrid1->isVisibleTo(&f));
        QVERIFY(!f.Memo1->isVisibleTo(&f));
        QCOMPARE(f.EFrequenz->toolTip(),
                 QString("Geben Sie die Frequenz ein und schließen Sie mit der Eingabetaste ab"));
        QCOMPARE(f.ComboBox1->count(), 5);
        QCOMPARE(f.ComboBox1->itemText(4), QString("Dezimal  1/20"));
        QCOMPARE(f.size(), QSize(600, 354));
        QCOMPARE(f.StringGrid1->ColCount(), 11);
        QCOMPARE(f.StringGrid1->RowCount(), 13);
        QCOMPARE(rig.cell(5, 0), QString("440 a1"));
        QCOMPARE(rig.cell(10, 12), QString());
        // 50 % on both channels reached the output at start-up.
        QVERIFY(!rig.audio.levels.empty());
        QCOMPARE(rig.audio.levels.back(), std::make_pair(uint16_t{32768}, uint16_t{32768}));
        QVERIFY(rig.boxes.errors.isEmpty());
        QVERIFY(rig.audio.images.empty());
    }

    void clickingACellPlaysItsFrequency_data() {
        QTest::addColumn<int>("duration");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("error");
        QTest::newRow("440 a1") << 1000 << 5 << 0 << "440" << 100 << "";
        QTest::newRow("5 ms is 0 units") << 5 << 5 << 2 << "494" << 0 << "";
        QTest::newRow("-5 ms is 0 units") << -5 << 4 << 0 << "220" << 0 << "";
        QTest::newRow("negative duration") << -20 << 5 << 0 << "" << -1 << "Fehler bei Bereichsprüfung.";
        QTest::newRow("empty cell") << 1000 << 10 << 12 << "" << -1 << "'' ist kein gültiger Integerwert.";
    }
    void clickingACellPlaysItsFrequency() {
        QFETCH(int, duration);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QString, shown);
        QFETCH(int, units);
        QFETCH(QString, error);
        Rig rig;
        rig.form->SpinEdit1->SetValue(duration);
        rig.form->EFrequenz->setText("777");
        rig.clickCell(col, row);
        QCOMPARE(rig.form->StringGrid1->Col(), col);
        QCOMPARE(rig.form->StringGrid1->Row(), row);
        if (units < 0) {
            QCOMPARE(rig.boxes.errors, QStringList{error});
            QVERIFY(rig.audio.images.empty());
            if (error.startsWith("''")) QCOMPARE(rig.form->EFrequenz->text(), QString("777"));
            return;
        }
        QVERIFY(rig.boxes.errors.isEmpty());
        QCOMPARE(rig.form->EFrequenz->text(), shown);
        QCOMPARE(rig.audio.images.size(), std::size_t{1});
        QVERIFY(rig.audio.images[0] == ToneImage(units, shown.toInt()));
    }

    void otherButtonsPlayTheCurrentCell() {
        Rig rig;
        rig.clickCell(5, 0);
        rig.clickCell(7, 3, Qt::RightButton);
        QCOMPARE(rig.form->StringGrid1->Col(), 5);
        QCOMPARE(rig.audio.images.size(), std::size_t{2});
        QVERIFY(rig.audio.images[1] == ToneImage(100, 440));
    }

    void enteredFrequencies_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<double>("played");  // < 0: nothing plays
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("fieldAfter");
        // One row a line, as a table.
        // clang-format off
        QTest::newRow("22001 plays") << "22001" << 22001.0 << "" << "" << "22001";
        QTest::newRow("too high") << "22001,5" << -1.0 << "Frequenz zu hoch" << "" << "440";
        QTest::newRow("first word only") << "440 Hz" << 440.0 << "" << "" << "440 Hz";
        QTest::newRow("decimals") << "440,05" << 440.05 << "" << "" << "440,05";
        QTest::newRow("zero is silent") << "0" << 0.0 << "" << "" << "0";
        QTest::newRow("not a number") << "abc" << -1.0 << "" << "'abc' ist kein gültiger Gleitkommawert." << "abc";
        QTest::newRow("point in German") << "440.5" << -1.0 << "" << "'440.5' ist kein gültiger Gleitkommawert."
                                        << "440.5";
        QTest::newRow("huge") << "-1e308" << -1.0 << "" << "Gleitkommaüberlauf." << "-1e308";
        // clang-format on
    }
    void enteredFrequencies() {
        QFETCH(QString, entry);
        QFETCH(double, played);
        QFETCH(QString, message);
        QFETCH(QString, error);
        QFETCH(QString, fieldAfter);
        Rig rig;
        rig.boxes.messages.clear();
        rig.form->EFrequenz->setText(entry);
        QTest::keyClick(rig.form->EFrequenz, Qt::Key_Return);
        QCOMPARE(rig.form->EFrequenz->text(), fieldAfter);
        QCOMPARE(rig.boxes.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(rig.boxes.errors, error.isEmpty() ? QStringList() : QStringList{error});
        if (played < 0) {
            QVERIFY(rig.audio.images.empty());
        } else {
            QCOMPARE(rig.audio.images.size(), std::size_t{1});
            QVERIFY(rig.audio.images[0] == ToneImage(100, played));
        }
    }

    void doubleClickAndOtherKeysInTheField() {
        Rig rig;
        rig.form->EFrequenz->setText("1000");
        QTest::keyClicks(rig.form->EFrequenz, "5");  // an ordinary key only edits
        QVERIFY(rig.audio.images.empty());
        QCOMPARE(rig.form->EFrequenz->text(), QString("10005"));
        rig.form->EFrequenz->setText("1000");
        QTest::mouseDClick(rig.form->EFrequenz, Qt::LeftButton);
        QCOMPARE(rig.audio.images.size(), std::size_t{1});
        QVERIFY(rig.audio.images[0] == ToneImage(100, 1000));
    }

    void cursorKeysWrapBetweenOctaves_data() {
        QTest::addColumn<int>("concertPitch");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("playedHz");
        QTest::addColumn<int>("colAfter");
        QTest::addColumn<int>("rowAfter");
        // Down at the bottom: the top of the next column sounds, the cursor stays there.
        QTest::newRow("down at bottom") << 440 << 3 << 12 << int(Qt::Key_Down) << 220 << 4 << 0;
        // An ordinary move: the current cell sounds, then the grid moves.
        QTest::newRow("down inside") << 440 << 4 << 0 << int(Qt::Key_Down) << 220 << 4 << 1;
        QTest::newRow("up at top") << 440 << 4 << 0 << int(Qt::Key_Up) << 220 << 3 << 12;
        QTest::newRow("up in first column") << 440 << 0 << 0 << int(Qt::Key_Up) << 14 << 0 << 0;
        QTest::newRow("down in last column") << 100 << 10 << 12 << int(Qt::Key_Down) << 6400 << 10 << 12;
        QTest::newRow("right") << 440 << 5 << 0 << int(Qt::Key_Right) << 440 << 6 << 0;
    }
    void cursorKeysWrapBetweenOctaves() {
        QFETCH(int, concertPitch);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(int, key);
        QFETCH(int, playedHz);
        QFETCH(int, colAfter);
        QFETCH(int, rowAfter);
        Rig rig;
        rig.form->SEKammerton->SetValue(concertPitch);
        rig.form->StringGrid1->SetCol(col);
        rig.form->StringGrid1->SetRow(row);
        rig.form->StringGrid1->setFocus();
        QTest::keyClick(rig.form->StringGrid1, Qt::Key(key));
        QVERIFY2(rig.boxes.errors.isEmpty(), qPrintable(rig.boxes.errors.join('|')));
        QCOMPARE(rig.audio.images.size(), std::size_t{1});
        QVERIFY(rig.audio.images[0] == ToneImage(100, playedHz));
        QCOMPARE(rig.form->StringGrid1->Col(), colAfter);
        QCOMPARE(rig.form->StringGrid1->Row(), rowAfter);
    }

    void sustainLengthensTintsAndEnablesStop() {
        Rig rig;
        TForm1& f = *rig.form;
        f.CheckBox1->setChecked(true);
        QCOMPARE(f.SpinEdit1->Value(), 5000);
        QCOMPARE(f.StringGrid1->BackgroundColour(), 16776960u);
        QVERIFY(f.BStop->isEnabled());
        QTest::mouseClick(f.BStop, Qt::LeftButton);
        QVERIFY(!f.CheckBox1->isChecked());
        QCOMPARE(f.SpinEdit1->Value(), 1000);
        QCOMPARE(f.StringGrid1->BackgroundColour(), 16777215u);
        QVERIFY(!f.BStop->isEnabled());
        // Stop with nothing repeating does nothing.
        f.BStopClick();
        QCOMPARE(f.SpinEdit1->Value(), 1000);
        QVERIFY(rig.boxes.errors.isEmpty());
    }

    void sustainOverflowKeepsTheBoxTicked() {
        Rig rig;
        TForm1& f = *rig.form;
        f.SpinEdit1->SetValue(500000000);
        f.CheckBox1->setChecked(true);
        QCOMPARE(rig.boxes.errors, QStringList{"Integerüberlauf."});
        QVERIFY(f.CheckBox1->isChecked());
        QCOMPARE(f.SpinEdit1->Value(), 500000000);
        QCOMPARE(f.StringGrid1->BackgroundColour(), 16777215u);
        QVERIFY(!f.BStop->isEnabled());
    }

    void sustainRepeatsUntilStopped() {
        Rig rig;
        rig.form->CheckBox1->setChecked(true);
        rig.audio.onPlay = [&](int plays) {
            if (plays == 3) QTest::mouseClick(rig.form->BStop, Qt::LeftButton);
        };
        rig.clickCell(5, 0);
        QCOMPARE(rig.audio.images.size(), std::size_t{3});
        for (const auto& image : rig.audio.images) QVERIFY(image == ToneImage(500, 440));
    }

    void nestedRequestEndsWithTheOuterOne() {
        Rig rig;
        rig.form->CheckBox1->setChecked(true);
        rig.audio.onPlay = [&](int plays) {
            // A click that arrives while the first tone sounds is handled
            // between two repetitions and repeats its own tone.
            if (plays == 1) {
                TStringGrid* grid = rig.form->StringGrid1;
                const QPoint at = grid->visualRect(grid->model()->index(0, 6)).center();
                QCoreApplication::postEvent(
                    grid->viewport(), new QMouseEvent(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at),
                                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            }
            if (plays == 4) rig.form->CheckBox1->setChecked(false);
        };
        rig.clickCell(5, 0);
        QCOMPARE(rig.audio.images.size(), std::size_t{4});
        QVERIFY(rig.audio.images[0] == ToneImage(500, 440));
        for (int i = 1; i < 4; ++i) QVERIFY(rig.audio.images[i] == ToneImage(500, 880));
    }

    void inputDuringAToneWaitsForItsEnd() {
        Rig rig;
        rig.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
        std::size_t imagesWhenClicked = 0;
        rig.audio.onPlay = [&](int plays) {
            if (plays != 1) return;
            // A click and a key while the first tone sounds: neither may
            // start anything until that tone has ended.
            rig.clickCell(6, 0);
            QTest::keyClick(rig.form->StringGrid1, Qt::Key_Down);
            QCoreApplication::processEvents();
            imagesWhenClicked = rig.audio.images.size();
        };
        rig.clickCell(5, 0);
        QCOMPARE(imagesWhenClicked, std::size_t{1});
        // Then, in order: the click plays 880, the key plays the current cell
        // (880 again) and moves down.
        QCOMPARE(rig.audio.images.size(), std::size_t{3});
        QVERIFY(rig.audio.images[1] == ToneImage(100, 880));
        QVERIFY(rig.audio.images[2] == ToneImage(100, 880));
        QCOMPARE(rig.form->StringGrid1->Row(), 1);
    }

    void closingEndsEveryRepetition() {
        Rig rig;
        rig.form->show();
        rig.form->CheckBox1->setChecked(true);
        rig.audio.onPlay = [&](int plays) {
            if (plays == 2) rig.form->close();  // the close box, during the tone
        };
        rig.clickCell(5, 0);
        QCOMPARE(rig.audio.images.size(), std::size_t{2});
        QVERIFY(rig.audio.cancels >= 1);
        QVERIFY(!rig.form->isVisible());
        // The close box does not touch the sustain box and writes nothing.
        QVERIFY(rig.form->CheckBox1->isChecked());
    }

    void aKeyInTheComboBoxGoesToTheGrid() {
        Rig rig;
        rig.form->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        rig.form->ComboBox1->setFocus();
        QTest::keyClick(rig.form->ComboBox1, Qt::Key_Down);
        QTest::keyClick(rig.form->ComboBox1, Qt::Key_A);
        QCOMPARE(rig.form->ComboBox1->Text(), QString("Halbtöne"));
        QVERIFY(rig.form->StringGrid1->hasFocus());
        QVERIFY(rig.audio.images.empty());
    }

    void volumeAndChannels_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("left");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("leftLevel");
        QTest::addColumn<int>("rightLevel");
        QTest::newRow("full") << 100 << true << true << "100%" << 65535 << 65535;
        QTest::newRow("silent") << 0 << true << true << "0%" << 0 << 0;
        QTest::newRow("right only") << 50 << false << true << "50%" << 0 << 32768;
        QTest::newRow("left only") << 33 << true << false << "33%" << 21627 << 0;
        QTest::newRow("clamped above") << 150 << true << true << "100%" << 65535 << 65535;
    }
    void volumeAndChannels() {
        QFETCH(int, position);
        QFETCH(bool, left);
        QFETCH(bool, right);
        QFETCH(QString, caption);
        QFETCH(int, leftLevel);
        QFETCH(int, rightLevel);
        Rig rig;
        rig.form->CBlinks->setChecked(left);
        rig.form->CBrechts->setChecked(right);
        rig.form->TrackBar1->SetPosition(position);
        rig.form->TrackBar1Change();
        QCOMPARE(rig.form->LLaut->text(), caption);
        QCOMPARE(rig.audio.levels.back(), std::make_pair(uint16_t(leftLevel), uint16_t(rightLevel)));
    }

    void oneChannelAlwaysStaysOn() {
        Rig rig;
        TForm1& f = *rig.form;
        f.CBlinks->setChecked(false);  // right still on: left silenced
        QVERIFY(f.CBrechts->isChecked());
        QCOMPARE(rig.audio.levels.back(), std::make_pair(uint16_t{0}, uint16_t{32768}));
        rig.audio.levels.clear();
        f.CBrechts->setChecked(false);  // the only one: output moves to the left
        QVERIFY(f.CBlinks->isChecked());
        QVERIFY(!f.CBrechts->isChecked());
        // The nested handler of the box ticked from code applies the level,
        // then the outer one applies it again.
        QCOMPARE(rig.audio.levels.size(), std::size_t{2});
        QCOMPARE(rig.audio.levels.back(), std::make_pair(uint16_t{32768}, uint16_t{0}));
        QTest::mouseClick(f.CBlinks, Qt::LeftButton);  // a real click on the only one
        QVERIFY(!f.CBlinks->isChecked());
        QVERIFY(f.CBrechts->isChecked());
        QCOMPARE(rig.audio.levels.back(), std::make_pair(uint16_t{0}, uint16_t{32768}));
    }

    void choosingModes_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("concertPitch");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("movedToTop");
        QTest::addColumn<QString>("col5row1");
        QTest::newRow("Halbtöne") << 0 << 440 << 13 << 354 << false << "466";
        QTest::newRow("Viertelstöne") << 1 << 440 << 25 << 570 << true << "453";
        QTest::newRow("Dezimal Halb") << 2 << 500 << 13 << 354 << false << "530";
        QTest::newRow("Dezimal Viertel") << 3 << 500 << 25 << 570 << true << "520";  // 514.65: 515, halfway to 520
        QTest::newRow("Dezimal  1/20") << 4 << 500 << 200 << 3720 << true << "502";
    }
    void choosingModes() {
        QFETCH(int, item);
        QFETCH(int, concertPitch);
        QFETCH(int, rows);
        QFETCH(int, height);
        QFETCH(bool, movedToTop);
        QFETCH(QString, col5row1);
        Rig rig;
        TForm1& f = *rig.form;
        f.move(100, 150);
        f.SEKammerton->SetValue(300);
        f.ComboBox1->setCurrentIndex(item);
        emit f.ComboBox1->userChanged();
        QVERIFY(rig.boxes.errors.isEmpty());
        QCOMPARE(f.SEKammerton->Value(), concertPitch);
        QCOMPARE(f.StringGrid1->RowCount(), rows);
        QCOMPARE(f.requestedClientSize(), QSize(600, height));
        // Never taller than the screen: the table scrolls instead.
        const int available = f.screen()->availableGeometry().height();
        QCOMPARE(f.size(), QSize(600, std::min(height, available)));
        QCOMPARE(f.pos().y(), movedToTop ? 0 : 150);
        QCOMPARE(f.pos().x(), 100);
        QCOMPARE(rig.cell(5, 1), col5row1);
    }

    void halbtoeneAgainRestoresNamesAndStaysAtTheTop() {
        Rig rig;
        TForm1& f = *rig.form;
        f.move(100, 150);
        f.ComboBox1->setCurrentIndex(1);
        emit f.ComboBox1->userChanged();
        f.ComboBox1->setCurrentIndex(2);
        emit f.ComboBox1->userChanged();
        QCOMPARE(rig.cell(5, 0), QString("500"));
        f.ComboBox1->setCurrentIndex(0);
        emit f.ComboBox1->userChanged();
        QCOMPARE(f.SEKammerton->Value(), 440);
        QCOMPARE(rig.cell(5, 0), QString("440 a1"));
        QCOMPARE(rig.cell(5, 12), QString("880 a2"));
        QCOMPARE(f.pos().y(), 0);
    }

    void typingTheConcertPitch() {
        Rig rig;
        TForm1& f = *rig.form;
        f.SEKammerton->SetText("");  // cleared: reads as 0
        QCOMPARE(rig.cell(5, 0), QString("0 a1"));
        QCOMPARE(rig.cell(0, 0), QString("0"));
        f.SEKammerton->SetText("510");
        QCOMPARE(rig.cell(5, 0), QString("510 a1"));
        f.ComboBox1->SetText("Dezimal Halb");  // from code: nothing runs
        QCOMPARE(rig.cell(5, 0), QString("510 a1"));
        f.ComboBox1Change(nullptr);
        QCOMPARE(f.SEKammerton->Value(), 510);
        QCOMPARE(rig.cell(5, 12), QString("1000"));
        QCOMPARE(rig.cell(6, 0), QString("1020"));
        // Too large to build: no message, the previous table stays.
        f.SEKammerton->SetText("70000000");
        QVERIFY(rig.boxes.errors.isEmpty());
        QCOMPARE(rig.cell(5, 12), QString("1000"));
        // So large and negative that the rounding cannot read column 10:
        // silent through the field, an error when called directly.
        f.SEKammerton->SetText("-40000000");
        QVERIFY(rig.boxes.errors.isEmpty());
        bool raised = false;
        try {
            f.ComboBox1Change(nullptr);
        } catch (const Error& e) {
            raised = QString::fromUtf8(e.what()).endsWith("ist kein gültiger Integerwert");
        }
        QVERIFY(raised);
    }

    void textsMatchingNoModeKeepTheTable() {
        Rig rig;
        TForm1& f = *rig.form;
        f.ComboBox1->SetText("irgendwas");
        f.ComboBox1Change(nullptr);
        QCOMPARE(rig.cell(5, 1), QString("466"));
        QCOMPARE(f.StringGrid1->RowCount(), 13);
        // "Dez" alone (a settings file can hold it) rounds the table standing,
        // without rebuilding it: row 0 keeps its note name.
        f.ComboBox1->SetText("Dez");
        f.ComboBox1Change(nullptr);
        QCOMPARE(rig.cell(5, 0), QString("440 a1"));
        QCOMPARE(rig.cell(5, 1), QString("470"));
        QCOMPARE(rig.cell(5, 2), QString("490"));
        QCOMPARE(f.StringGrid1->RowCount(), 13);
        QVERIFY(rig.boxes.errors.isEmpty());
    }
};

// The program's own application object: it hands every event to the input
// gate as a request, as in the program.
int main(int argc, char** argv) {
    orvik::Application app(argc, argv);
    FormTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "form_test.moc"
