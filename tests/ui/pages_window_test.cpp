// The help pages and the companion program, through the window.
#include <QImage>
#include <QTest>

#include "core/advert.h"
#include "core/info_pages.h"
#include "fakes.h"

using namespace orvik;
using namespace orvik::testing;

namespace {

QString firstLine(std::string_view page) {
    const QString text = QString::fromUtf8(page.data(), qsizetype(page.size()));
    return text.left(text.indexOf('\r'));
}

// Which of the table and the three pages the window shows.
QString shown(const TForm1& f) {
    if (!f.Memo1->isVisibleTo(&f)) return f.StringGrid1->isVisibleTo(&f) ? "table" : "nothing";
    if (f.StringGrid1->isVisibleTo(&f)) return "both";
    const QString line = f.Memo1->FirstLine();
    for (auto [name, page] : {std::pair{"page 1", InfoPage1}, {"page 2", InfoPage2}, {"page 3", InfoPage3}})
        if (line == firstLine(page)) return name;
    return "edited page";
}

int advertPixels(TStringGrid* grid) {
    const QImage image = grid->viewport()->grab().toImage();
    const QColor advert = ColourFromNumber(AdvertColour);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == advert) ++count;
    return count;
}

}  // namespace

class PagesWindowTest : public QObject {
    Q_OBJECT

private slots:
    void clicksPageThroughAndBack_data() {
        QTest::addColumn<QString>("clicks");  // L: the "Info" label, M: the memo's text area
        QTest::addColumn<QStringList>("states");
        QTest::newRow("label only") << "LLLLL" << QStringList{"page 1", "page 2", "page 3", "table", "page 1"};
        QTest::newRow("mixed") << "LMMM" << QStringList{"page 1", "page 2", "page 3", "table"};
    }
    void clicksPageThroughAndBack() {
        QFETCH(QString, clicks);
        QFETCH(QStringList, states);
        Rig rig;
        TForm1& f = *rig.form;
        f.show();
        for (int i = 0; i < clicks.size(); ++i) {
            QWidget* target = clicks[i] == 'L' ? static_cast<QWidget*>(f.Label4) : f.Memo1->viewport();
            QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
            QCOMPARE(shown(f), states[i]);
        }
        QVERIFY(rig.boxes.errors.isEmpty());
    }

    void anEditedFirstLineDecides_data() {
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("next");
        // One row a line, as a table.
        // clang-format off
        QTest::newRow("a 3 anywhere") << "xx 3" << "table";
        QTest::newRow("1 and 3") << "13" << "table";
        QTest::newRow("a 1 without 3") << "Seite 1" << "page 2";
        QTest::newRow("neither") << "Seite 2" << "page 3";
        QTest::newRow("emptied") << "" << "page 3";
        // clang-format on
    }
    void anEditedFirstLineDecides() {
        QFETCH(QString, firstLine);
        QFETCH(QString, next);
        Rig rig;
        TForm1& f = *rig.form;
        f.Label4Click();
        f.Memo1->SetText(firstLine + "\r\nweiterer Text");
        f.Label4Click();
        QCOMPARE(shown(f), next);
    }

    void leavingThePagesKeepsATypedConcertPitch() {
        Rig rig(QByteArray("1000\r\n\r\nDezimal Halb\r\n50\r\n500\r\n"));
        TForm1& f = *rig.form;
        f.SEKammerton->SetValue(510);
        for (int i = 0; i < 4; ++i) f.Label4Click();
        QCOMPARE(shown(f), QString("table"));
        QCOMPARE(f.SEKammerton->Value(), 510);
        QCOMPARE(rig.cell(5, 12), QString("1000"));
    }

    void theCompanionProgramStartsAndNothingElseHappens() {
        Rig rig;
        TForm1& f = *rig.form;
        const QString directory = rig.dir.path() + "/";
        rig.launcher.accepted = {directory + "kalvano.exe"};
        f.Label4Click();
        f.VanokClick();
        QCOMPARE(rig.launcher.calls, QStringList{directory + "kalvano.exe"});
        QCOMPARE(rig.launcher.directories, QStringList{directory});
        QCOMPARE(shown(f), QString("page 1"));
        QVERIFY(rig.audio.images.empty());
        QVERIFY(rig.boxes.messages.isEmpty());
    }

    void withoutTheCompanionTheCadencePlays_data() {
        QTest::addColumn<bool>("shortNameStarts");
        QTest::newRow("vanok.exe starts") << true;
        QTest::newRow("neither starts") << false;
    }
    void withoutTheCompanionTheCadencePlays() {
        QFETCH(bool, shortNameStarts);
        Rig rig;
        TForm1& f = *rig.form;
        f.show();
        f.move(50, 120);
        const QString directory = rig.dir.path() + "/";
        if (shortNameStarts) rig.launcher.accepted = {directory + "vanok.exe"};
        f.SEKammerton->SetValue(432);
        f.Label4Click();  // a page is open
        int pixelsWhileSounding = -1;
        rig.audio.onPlay = [&](int plays) {
            if (plays == 1) pixelsWhileSounding = advertPixels(f.StringGrid1);
        };
        int pixelsAtMessage = -1;
        rig.boxes.onMessage = [&] { pixelsAtMessage = advertPixels(f.StringGrid1); };
        f.VanokClick();

        QCOMPARE(rig.launcher.calls, (QStringList{directory + "kalvano.exe", directory + "vanok.exe"}));
        QCOMPARE(shown(f), QString("table"));
        QCOMPARE(rig.audio.images.size(), std::size_t{6});
        for (std::size_t i = 0; i < 6; ++i)
            QVERIFY(rig.audio.images[i] == MakeToneImage(Cadence()[i].duration, Cadence()[i].partials));
        QCOMPARE(rig.boxes.messages,
                 QStringList{QString::fromUtf8(CompanionMessage.data(), qsizetype(CompanionMessage.size()))});
        if (shortNameStarts) {
            QCOMPARE(pixelsWhileSounding, 0);
            QCOMPARE(f.pos().y(), 120);
        } else {
            // Every '+' of the picture is one pixel of the advert's colour.
            QCOMPARE(pixelsWhileSounding, int(std::count(AdvertPicture.begin(), AdvertPicture.end(), '+')));
            QCOMPARE(pixelsAtMessage, pixelsWhileSounding);
            QCOMPARE(f.pos().y(), 0);
        }
        // The rebuild removes the advert and keeps the typed concert pitch.
        QVERIFY(!f.StringGrid1->HasOverlay());
        QCOMPARE(advertPixels(f.StringGrid1), 0);
        QCOMPARE(f.SEKammerton->Value(), 432);
        QCOMPARE(rig.cell(5, 0), QString("432 a1"));
    }

    void sustainRepeatsTheFirstChord() {
        Rig rig;
        TForm1& f = *rig.form;
        f.CheckBox1->setChecked(true);
        rig.audio.onPlay = [&](int plays) {
            if (plays == 3) f.CheckBox1->setChecked(false);
        };
        f.VanokClick();
        QCOMPARE(rig.audio.images.size(), std::size_t{3 + 5});
        for (int i = 0; i < 3; ++i) QVERIFY(rig.audio.images[i] == MakeToneImage(150, Cadence()[0].partials));
    }
};

QTEST_MAIN(PagesWindowTest)
#include "pages_window_test.moc"
