// The real program launcher, and the companion handler starting a real
// program from a temporary program folder.
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "fakes.h"
#include "platform/desktop_services.h"

using namespace orvik;
using namespace orvik::testing;

namespace {

void writeScript(const QString& path, const QString& marker, bool executable) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(("#!/bin/sh\npwd > '" + marker + "'\n").toUtf8());
    f.close();
    QFile::Permissions p = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (executable) p |= QFileDevice::ExeOwner;
    QVERIFY(f.setPermissions(p));
}

bool waitForFile(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(path) || QFile(path).size() == 0) {
        if (timer.elapsed() > 5000) return false;
        QTest::qWait(20);
    }
    return true;
}

}  // namespace

class LauncherTest : public QObject {
    Q_OBJECT

private slots:
    void startsOnlyRealExecutablesByFullPath() {
        QTemporaryDir dir;
        ProcessLauncher launcher;
        const QString folder = dir.filePath("Töne und mehr") + "/";
        QVERIFY(QDir().mkpath(folder));
        writeScript(folder + "run.exe", dir.filePath("ran"), true);
        writeScript(folder + "plain.exe", dir.filePath("plain-ran"), false);
        QVERIFY(launcher.start(folder + "run.exe", folder));
        QVERIFY(waitForFile(dir.filePath("ran")));
        // Started in the program folder.
        QFile ran(dir.filePath("ran"));
        QVERIFY(ran.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(ran.readAll()).trimmed() + "/", folder);
        QVERIFY(!launcher.start(folder + "plain.exe", folder));  // not executable
        QVERIFY(!launcher.start(folder + "missing.exe", folder));
        QVERIFY(!launcher.start("sh", folder));  // never looked up in the search path
        QTest::qWait(200);
        QVERIFY(!QFile::exists(dir.filePath("plain-ran")));
    }

    void theCompanionHandlerStartsKalvano() {
        Rig rig;
        ProcessLauncher launcher;
        TForm1 form(Platform{rig.audio, rig.environment, launcher, rig.boxes});
        rig.boxes.messages.clear();
        writeScript(rig.dir.filePath("kalvano.exe"), rig.dir.filePath("kalvano-ran"), true);
        form.Label4Click();  // a page is open
        form.VanokClick();
        QVERIFY(waitForFile(rig.dir.filePath("kalvano-ran")));
        QVERIFY(rig.audio.images.empty());
        QVERIFY(rig.boxes.messages.isEmpty());
        QVERIFY(form.Memo1->isVisibleTo(&form));  // the page stays open
    }

    void withOnlyVanokTheCadenceFollows() {
        Rig rig;
        ProcessLauncher launcher;
        TForm1 form(Platform{rig.audio, rig.environment, launcher, rig.boxes});
        rig.boxes.messages.clear();
        writeScript(rig.dir.filePath("vanok.exe"), rig.dir.filePath("vanok-ran"), true);
        form.VanokClick();
        QVERIFY(waitForFile(rig.dir.filePath("vanok-ran")));
        QCOMPARE(rig.audio.images.size(), std::size_t{6});
        QCOMPARE(rig.boxes.messages.size(), 1);
        QVERIFY(!form.StringGrid1->HasOverlay());
    }
};

QTEST_MAIN(LauncherTest)
#include "launcher_test.moc"
