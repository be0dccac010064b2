// The settings file and the first-start launcher, through the window.
#include <sys/resource.h>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <csignal>

#include "fakes.h"
#include "ui/edit.h"

using namespace orvik;
using namespace orvik::testing;

namespace {
const QByteArray StartupFile("1000\r\n\r\nHalbt\xF6ne\r\n50\r\n440\r\n");
const QString ShortcutMessage = QString::fromUtf8(
    "Es wurde eine Verknüpfung auf dem Desktop erstellt.\rDiese können Sie mit Klick auf die rechte Maustaste "
    "löschen.");
}  // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void loading_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("duration");
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("concertPitch");
        QTest::addColumn<QString>("error");
        const QString none;
        // One row a line, as a table.
        // clang-format off
        QTest::newRow("as written") << StartupFile << 1000 << "" << "Halbtöne" << 50 << 440 << none;
        QTest::newRow("six lines") << QByteArray("2000\r\n441 a1\r\nViertelst\xF6ne\r\n70\r\n442\r\nmehr\r\n") << 2000
                                   << "441" << "Viertelstöne" << 70 << 442 << none;
        QTest::newRow("four lines") << QByteArray("2000\r\n441\r\nViertelst\xF6ne\r\n70\r\n") << 1000 << "" << "Halbtöne"
                                    << 50 << 440 << none;
        QTest::newRow("empty file") << QByteArray("") << 1000 << "" << "Halbtöne" << 50 << 440 << none;
        QTest::newRow("LF only, no final break") << QByteArray("1500\n300\nDezimal Halb\n20\n500") << 1500 << "300"
                                                 << "Dezimal Halb" << 20 << 500 << none;
        QTest::newRow("volume above") << QByteArray("1000\r\n\r\nx\r\n150\r\n440\r\n") << 1000 << "" << "x" << 100
                                      << 440 << none;
        QTest::newRow("volume below") << QByteArray("1000\r\n\r\nx\r\n-3\r\n440\r\n") << 1000 << "" << "x" << 0 << 440
                                      << none;
        QTest::newRow("extreme duration") << QByteArray("-2147483648\r\n\r\nx\r\n50\r\n440\r\n") << int(-2147483647 - 1)
                                          << "" << "x" << 50 << 440 << none;
        QTest::newRow("hexadecimal") << QByteArray("$3E8\r\n\r\nHalbt\xF6ne\r\n0x32\r\n0x1f4\r\n") << 1000 << ""
                                     << "Halbtöne" << 50 << 500 << none;
        QTest::newRow("UTF-8 by hand") << QByteArray("1000\n\nHalbtöne\n50\n440\n") << 1000 << "" << "Halbtöne" << 50
                                       << 440 << none;
        QTest::newRow("NUL ends the text") << QByteArray("2000\r\n\r\nHalb\0t\r\n50\r\n440\r\n", 25)
                                           << 1000 << "" << "Halbtöne" << 50 << 440 << none;
        // A bad number line stops the load there: the lines before it stay applied.
        QTest::newRow("trailing blank") << QByteArray("2000\r\n330\r\nViertelst\xF6ne\r\n70 \r\n442\r\n") << 2000 << "330"
                                        << "Viertelstöne" << 50 << 440 << "'70 ' ist kein gültiger Integerwert.";
        QTest::newRow("empty number line") << QByteArray("2000\r\n330\r\nx\r\n70\r\n\r\n") << 2000 << "330" << "x"
                                           << 70 << 440 << "'' ist kein gültiger Integerwert.";
        QTest::newRow("frequency line is a number") << QByteArray("440 a1\r\n\r\nx\r\n70\r\n442\r\n") << 1000 << ""
                                                    << "Halbtöne" << 50 << 440
                                                    << "'440 a1' ist kein gültiger Integerwert.";
        // clang-format on
    }
    void loading() {
        QFETCH(QByteArray, file);
        QFETCH(int, duration);
        QFETCH(QString, frequency);
        QFETCH(QString, mode);
        QFETCH(int, volume);
        QFETCH(int, concertPitch);
        QFETCH(QString, error);
        Rig rig(file);
        TForm1& f = *rig.form;
        QCOMPARE(rig.boxes.errors, error.isEmpty() ? QStringList() : QStringList{error});
        QVERIFY(rig.boxes.messages.isEmpty());  // a file was there: no first start
        QCOMPARE(f.SpinEdit1->Value(), duration);
        QCOMPARE(f.EFrequenz->text(), frequency);
        QCOMPARE(f.ComboBox1->Text(), mode);
        QCOMPARE(f.TrackBar1->Position(), volume);
        QCOMPARE(f.LLaut->text(), QString::number(volume) + "%");
        QCOMPARE(f.SEKammerton->Value(), concertPitch);
        QCOMPARE(rig.readSettings(), file);  // loading never writes
        if (error.isEmpty()) {
            // The start-up sequence ran to its end: the window is centred.
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            const QSize outer = f.frameGeometry().size();
            QCOMPARE(f.pos(), QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
        } else {
            // The start-up sequence ended at the load: the window keeps its
            // design position instead of being centred.
            QCOMPARE(f.pos(), QPoint(292, 197));
        }
    }

    void aLoadedModeRebuildsTheTable() {
        Rig rig(QByteArray("1000\r\n\r\nDezimal Halb\r\n50\r\n510\r\n"));
        QCOMPARE(rig.cell(5, 0), QString("510"));
        QCOMPARE(rig.cell(5, 12), QString("1000"));
        QCOMPARE(rig.audio.levels.back(), std::make_pair(uint16_t{32768}, uint16_t{32768}));
    }

    void savingWritesTheControlsAsShown() {
        Rig rig;
        QTest::mouseClick(rig.form->Bschliessen, Qt::LeftButton);
        QCOMPARE(rig.readSettings(), StartupFile);
        QVERIFY(rig.boxes.errors.isEmpty());

        Rig changed;
        TForm1& f = *changed.form;
        f.SpinEdit1->SetValue(-250);
        f.EFrequenz->setText("440,05 Hz");
        f.ComboBox1->SetText("Dezimal  1/20");
        f.TrackBar1->SetPosition(73);
        f.SEKammerton->SetValue(415);
        f.CheckBox1->setChecked(true);  // saved lengthened, as shown
        f.BschliessenClick();
        const QByteArray saved = changed.readSettings();
        QCOMPARE(saved, QByteArray("-1250\r\n440,05 Hz\r\nDezimal  1/20\r\n73\r\n415\r\n"));

        // The next start shows what was saved, "Aushalten" clear.
        Rig next(saved);
        QCOMPARE(next.form->SpinEdit1->Value(), -1250);
        QCOMPARE(next.form->EFrequenz->text(), QString("440,05"));
        QCOMPARE(next.form->ComboBox1->Text(), QString("Dezimal  1/20"));
        QCOMPARE(next.form->TrackBar1->Position(), 73);
        QCOMPARE(next.form->SEKammerton->Value(), 415);
        QCOMPARE(next.form->StringGrid1->RowCount(), 200);
        QVERIFY(!next.form->CheckBox1->isChecked());
    }

    void aDurationThatIsNoNumberIsSavedAsZero() {
        Rig rig;
        rig.form->SpinEdit1->SetText("");
        rig.form->BschliessenClick();
        QVERIFY(rig.readSettings().startsWith("0\r\n"));
    }

    void aFailedSaveKeepsTheWindowOpen() {
        Rig rig(QByteArray(), false);
        QDir(rig.dir.path()).mkdir("orini");  // a folder where the file should be
        rig.form->show();
        rig.form->CheckBox1->setChecked(true);
        QTest::mouseClick(rig.form->Bschliessen, Qt::LeftButton);
        QCOMPARE(rig.boxes.errors, QStringList{"Datei " + rig.settingsPath() + " kann nicht erstellt werden."});
        QVERIFY(rig.form->isVisible());
        QVERIFY(rig.form->CheckBox1->isChecked());
    }

    void anInterruptedSaveLeavesTheOldFile() {
        const QByteArray old("2000\r\n330\r\nViertelst\xF6ne\r\n70\r\n442\r\n");
        Rig rig(old);
        rig.form->show();
        rig.form->SpinEdit1->SetValue(123456789);
        // Let every write past a few bytes fail, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tiny = saved;
        tiny.rlim_cur = 8;
        setrlimit(RLIMIT_FSIZE, &tiny);
        QTest::mouseClick(rig.form->Bschliessen, Qt::LeftButton);
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(rig.boxes.errors, QStringList{"Datei " + rig.settingsPath() + " kann nicht erstellt werden."});
        QCOMPARE(rig.readSettings(), old);
        QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files), QStringList{"orini"});  // no temporary left behind
        QVERIFY(rig.form->isVisible());
    }

    void theCloseBoxWritesNothing() {
        const QByteArray old("2000\r\n330\r\nViertelst\xF6ne\r\n70\r\n442\r\n");
        Rig rig(old);
        rig.form->show();
        rig.form->SpinEdit1->SetValue(3000);
        rig.form->close();
        QCOMPARE(rig.readSettings(), old);
    }

    void aFirstStartPutsALauncherOnTheDesktop() {
        for (int start = 0; start < 2; ++start) {  // every start without settings does it again
            Rig rig(QByteArray(), false);
            QCOMPARE(rig.boxes.messages, QStringList{ShortcutMessage});
            QFile entry(rig.dir.filePath("Desktop/ORVIK.desktop"));
            QVERIFY(entry.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(entry.readAll());
            QVERIFY(text.startsWith("[Desktop Entry]\n"));
            for (const QString& line :
                 {QString("Type=Application"), QString("Name=Orvik"), "Exec=" + rig.environment.program,
                  QString("Path=/"), QString("Terminal=false")})
                QVERIFY2(text.split('\n').contains(line), qPrintable(line));
            QVERIFY(entry.permissions().testFlag(QFileDevice::ExeOwner));
            QVERIFY(entry.permissions().testFlag(QFileDevice::ExeOther));
            // The table is the plain start-up one.
            QCOMPARE(rig.cell(5, 0), QString("440 a1"));
        }
    }

    void aLauncherThatCannotBeWrittenIsNotAnnounced() {
        QTemporaryDir dir;
        FakeAudio audio;
        FakeEnvironment environment;
        FakeLauncher launcher;
        FakeBoxes boxes;
        environment.program = dir.filePath("orvik");
        QDir(dir.path()).mkpath("Desktop/ORVIK.desktop");  // a folder in the way
        environment.desktop = dir.filePath("Desktop");
        TForm1 form(Platform{audio, environment, launcher, boxes});
        QVERIFY(boxes.messages.isEmpty());
        QVERIFY(boxes.errors.isEmpty());

        // No desktop folder at all: nothing is written anywhere.
        QTemporaryDir bare;
        environment.program = bare.filePath("orvik");
        environment.desktop.reset();
        TForm1 second(Platform{audio, environment, launcher, boxes});
        QVERIFY(boxes.messages.isEmpty());
        QVERIFY(QDir(bare.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
