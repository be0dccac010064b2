// The gate that holds input while a tone sounds: what waits is handed on
// whole and unchanged, in order, after the request that played; a key's
// auto-repeats that wait become one; requests nest only while a tone
// repeats. Run under the program's own application object, which hands
// every event to the gate as a request.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <functional>
#include <vector>

#include "ui/application.h"
#include "ui/input_gate.h"

using orvik::InputGate;

namespace {

struct Seen {
    QEvent::Type type;
    int key = 0;
    bool autoRepeat = false;
    QPointF position;
    ulong time = 0;
};

// Records what reaches it; `onKey` runs for every key press it is handed.
class Recorder final : public QWidget {
public:
    std::vector<Seen> seen;
    std::function<void()> onKey;
    std::function<void()> afterKey;  // the widget's own handling, after onKey

protected:
    bool event(QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                const auto* k = static_cast<QKeyEvent*>(e);
                seen.push_back({e->type(), k->key(), k->isAutoRepeat(), {}});
                if (e->type() == QEvent::KeyPress && onKey) onKey();
                if (e->type() == QEvent::KeyPress && afterKey) afterKey();
                return true;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
                seen.push_back({e->type(), 0, false, static_cast<QMouseEvent*>(e)->position()});
                return true;
            default:
                return QWidget::event(e);
        }
    }
};

void Key(QWidget& w, QEvent::Type type, int key, bool autoRepeat, ulong time = 0) {
    QKeyEvent e(type, key, Qt::NoModifier, QString(), autoRepeat);
    e.setTimestamp(time);
    QApplication::sendEvent(&w, &e);
}

}  // namespace

Q_DECLARE_METATYPE(Seen)

class InputGateTest final : public QObject {
    Q_OBJECT

private slots:
    void passesInputWhenNothingSounds() {
        InputGate gate;
        Recorder w;
        Key(w, QEvent::KeyPress, Qt::Key_Down, false);
        QCOMPARE(w.seen.size(), std::size_t{1});
    }

    // A click on a cell, then a tap on a button (press and release in the
    // same millisecond), both while a tone sounds, as the window system
    // hands them in. Qt shares a mouse event's point data with the events
    // it makes later, so a copy kept of the tap's release would be moved to
    // where the cell click is replayed, and the button would never see
    // itself clicked.
    void handsOnATapAfterAWaitingClick() {
        InputGate gate;
        QWidget window;
        window.resize(400, 100);
        QPushButton stop("Stop", &window);
        stop.setGeometry(0, 0, 60, 25);
        Recorder cell;
        cell.setParent(&window);
        cell.setGeometry(200, 0, 200, 100);
        int clicks = 0;
        QObject::connect(&stop, &QPushButton::clicked, [&] { ++clicks; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWindow* handle = window.windowHandle();
        const auto send = [&](QPoint at, Qt::MouseButtons buttons, QEvent::Type type, int time) {
            qt_handleMouseEvent(handle, at, window.mapToGlobal(at), buttons, Qt::LeftButton, type, Qt::NoModifier,
                                time);
        };
        {
            InputGate::Hold hold(gate);
            send({326, 21}, Qt::LeftButton, QEvent::MouseButtonPress, 7000);
            send({326, 21}, Qt::NoButton, QEvent::MouseButtonRelease, 7000);
            send({28, 11}, Qt::LeftButton, QEvent::MouseButtonPress, 7100);
            send({28, 11}, Qt::NoButton, QEvent::MouseButtonRelease, 7100);
            QCOMPARE(cell.seen.size(), std::size_t{0});
        }
        QCOMPARE(cell.seen.size(), std::size_t{2});
        QCOMPARE(cell.seen[0].position, QPointF(126, 21));
        QCOMPARE(clicks, 1);
    }

    // A double click whose second click comes while a tone sounds reaches
    // the widget as it would have without the tone: press, release, double
    // click, release. Qt marks the second press as the one that made the
    // double click and hands the widget the double click instead of it; a
    // replay without the mark plays the cell a third time.
    void handsOnADoubleClickAsOne() {
        InputGate gate;
        Recorder cell;
        cell.resize(200, 100);
        cell.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cell));
        QWindow* handle = cell.windowHandle();
        const QPoint at(40, 20);
        const auto send = [&](Qt::MouseButtons buttons, QEvent::Type type, int time) {
            qt_handleMouseEvent(handle, at, cell.mapToGlobal(at), buttons, Qt::LeftButton, type, Qt::NoModifier, time);
        };
        send(Qt::LeftButton, QEvent::MouseButtonPress, 9000);
        send(Qt::NoButton, QEvent::MouseButtonRelease, 9010);
        {
            InputGate::Hold tone(gate);
            send(Qt::LeftButton, QEvent::MouseButtonPress, 9100);
            send(Qt::NoButton, QEvent::MouseButtonRelease, 9110);
        }
        std::vector<QEvent::Type> types;
        for (const Seen& s : cell.seen)
            if (s.type != QEvent::MouseMove) types.push_back(s.type);
        const std::vector<QEvent::Type> want{QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                             QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease};
        QCOMPARE(types, want);
    }

    // Keys pressed while a key's tone sounds are handed on after that key's
    // request has returned, when the widget has done its own part (a grid
    // moves its cursor after the handler that played): each waiting key
    // then plays the cell the one before it moved to, as if the user had
    // waited for every tone. That holds too for a key that comes while the
    // handler looks for messages before its tone. The keys come as the
    // window system hands them in.
    void handsOnAfterTheRequestThatPlayed() {
        InputGate gate;
        Recorder grid;
        grid.resize(100, 100);
        grid.show();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        QWindow* window = grid.windowHandle();
        int cursor = 0;
        std::vector<int> played;
        int depth = 0, deepest = 0;
        bool early = false;
        grid.onKey = [&] {
            deepest = std::max(deepest, ++depth);
            const int cell = cursor;  // read before messages are looked at
            if (!early) {
                early = true;
                QTest::keyPress(window, Qt::Key_Down);
                QCoreApplication::processEvents();
            }
            played.push_back(cell);
            {
                InputGate::Hold tone(gate);
                // Three more presses during the first tone.
                if (played.size() == 1 && depth == 1)
                    for (int i = 0; i < 3; ++i) QTest::keyPress(window, Qt::Key_Down);
            }
            --depth;
        };
        grid.afterKey = [&] { ++cursor; };
        QTest::keyPress(window, Qt::Key_Down);
        QCOMPARE(played, (std::vector<int>{0, 1, 2, 3, 4}));
        QCOMPARE(cursor, 5);
        QCOMPARE(deepest, 1);
    }

    // Each row: the keys that arrive during a tone (key, press or release,
    // auto-repeat) and what is handed on afterwards.
    void mergesAKeysWaitingRepeats_data() {
        QTest::addColumn<std::vector<Seen>>("arriving");
        QTest::addColumn<std::vector<Seen>>("handedOn");
        const auto press = [](int key, bool repeat, ulong time = 0) {
            return Seen{QEvent::KeyPress, key, repeat, {}, time};
        };
        const auto release = [](int key, bool repeat, ulong time = 0) {
            return Seen{QEvent::KeyRelease, key, repeat, {}, time};
        };
        std::vector<Seen> held;
        for (int i = 0; i < 50; ++i) {
            held.push_back(release(Qt::Key_Down, true));
            held.push_back(press(Qt::Key_Down, true));
        }
        held.push_back(release(Qt::Key_Down, false));
        QTest::newRow("a key held down, then let go")
            << held << std::vector<Seen>{press(Qt::Key_Down, true), release(Qt::Key_Down, false)};
        const std::vector<Seen> distinct{press(Qt::Key_Down, false, 1000), release(Qt::Key_Down, false, 1040),
                                         press(Qt::Key_Down, false, 1050), release(Qt::Key_Down, false, 1090),
                                         press(Qt::Key_Down, false),       release(Qt::Key_Down, false),
                                         press(Qt::Key_Down, false),       release(Qt::Key_Down, false)};
        QTest::newRow("distinct presses are all kept") << distinct << distinct;
        // As X11 repeats a key when Qt does not see the pair in time: a
        // release and a press at one time, neither marked as a repeat.
        std::vector<Seen> unmarked{press(Qt::Key_Down, false, 5000)};
        for (ulong t = 5660; t < 7000; t += 40) {
            unmarked.push_back(release(Qt::Key_Down, false, t));
            unmarked.push_back(press(Qt::Key_Down, false, t));
        }
        unmarked.push_back(release(Qt::Key_Down, false, 7010));
        QTest::newRow("repeats known by their time alone")
            << unmarked
            << std::vector<Seen>{press(Qt::Key_Down, false), press(Qt::Key_Down, false), release(Qt::Key_Down, false)};
        QTest::newRow("two keys repeating keep one press each")
            << std::vector<Seen>{press(Qt::Key_Down, true), press(Qt::Key_Up, true), press(Qt::Key_Down, true),
                                 press(Qt::Key_Up, true)}
            << std::vector<Seen>{press(Qt::Key_Down, true), press(Qt::Key_Up, true)};
        QTest::newRow("a fresh press behind a waiting repeat stays")
            << std::vector<Seen>{press(Qt::Key_Down, true), release(Qt::Key_Down, false), press(Qt::Key_Down, false)}
            << std::vector<Seen>{press(Qt::Key_Down, true), release(Qt::Key_Down, false), press(Qt::Key_Down, false)};
    }
    void mergesAKeysWaitingRepeats() {
        QFETCH(std::vector<Seen>, arriving);
        QFETCH(std::vector<Seen>, handedOn);
        InputGate gate;
        Recorder w;
        {
            InputGate::Hold hold(gate);
            for (const Seen& s : arriving) Key(w, s.type, s.key, s.autoRepeat, s.time);
        }
        QCOMPARE(w.seen.size(), handedOn.size());
        for (std::size_t i = 0; i < handedOn.size(); ++i) {
            QCOMPARE(w.seen[i].type, handedOn[i].type);
            QCOMPARE(w.seen[i].key, handedOn[i].key);
            QCOMPARE(w.seen[i].autoRepeat, handedOn[i].autoRepeat);
        }
    }

    // Every waiting press plays a tone of its own. After a tone that ends
    // for good the next press waits for its request to return, so a long
    // backlog never nests; during a repeated tone each press is handed on
    // from inside it (each must hand on "Stop"), one level per press.
    void nestsRequestsNoDeeperThanItMust_data() {
        QTest::addColumn<bool>("repeats");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("deepest");
        QTest::newRow("single tones, a long backlog") << false << 1000 << 1;
        QTest::newRow("repeated tones") << true << 200 << 200;
    }
    void nestsRequestsNoDeeperThanItMust() {
        QFETCH(bool, repeats);
        QFETCH(int, presses);
        QFETCH(int, deepest);
        InputGate gate;
        Recorder w;
        int depth = 0, deepestSeen = 0;
        w.onKey = [&] {
            deepestSeen = std::max(deepestSeen, ++depth);
            {
                InputGate::Hold tone(gate, [&] { return repeats; });
            }
            --depth;
        };
        {
            InputGate::Hold first(gate);
            for (int i = 0; i < presses; ++i) Key(w, QEvent::KeyPress, i % 2 ? Qt::Key_Up : Qt::Key_Down, false);
        }
        QCOMPARE(w.seen.size(), std::size_t(presses));
        for (int i = 0; i < presses; ++i)
            QCOMPARE(w.seen[std::size_t(i)].key, i % 2 ? int(Qt::Key_Up) : int(Qt::Key_Down));
        QCOMPARE(deepestSeen, deepest);
    }

    // A message box that comes up while input is held (an error after a
    // deep play) takes its own input at once; the window's waits.
    void letsAMessageBoxAnswer() {
        InputGate gate;
        Recorder window;
        QDialog box;
        Recorder inBox;
        inBox.setParent(&box);
        box.setModal(true);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        {
            InputGate::Hold hold(gate);
            Key(inBox, QEvent::KeyPress, Qt::Key_Return, false);
            Key(window, QEvent::KeyPress, Qt::Key_Down, false);
            QCOMPARE(inBox.seen.size(), std::size_t{1});
            QCOMPARE(window.seen.size(), std::size_t{0});
        }
        QCOMPARE(window.seen.size(), std::size_t{1});
    }

    // Input that arrives after a play, while its request has not returned
    // (the playback loop looks for messages), waits behind what was there
    // before it.
    void keepsTheOrderWhileAPlayHoldsOn() {
        InputGate gate;
        Recorder w;
        int handled = 0;
        w.onKey = [&] {
            ++handled;
            { InputGate::Hold tone(gate); }
            if (handled == 1) Key(w, QEvent::KeyPress, Qt::Key_Escape, false);
        };
        {
            InputGate::Hold first(gate);
            for (int i = 0; i < 5; ++i) Key(w, QEvent::KeyPress, Qt::Key_Down, false);
        }
        QCOMPARE(w.seen.size(), std::size_t{6});
        QCOMPARE(w.seen.back().key, int(Qt::Key_Escape));
    }
};

int main(int argc, char** argv) {
    orvik::Application app(argc, argv);
    InputGateTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "input_gate_test.moc"
