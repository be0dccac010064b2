// The gate that holds input while a tone sounds: what waits is handed on
// whole and unchanged, in order; a key's auto-repeats that wait become one;
// requests nest as deep as they must and no deeper.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <functional>
#include <vector>

#include "ui/input_gate.h"

using orvik::InputGate;

namespace {

struct Seen {
    QEvent::Type type;
    int key = 0;
    bool autoRepeat = false;
    QPointF position;
};

// Records what reaches it; `onKey` runs for every key press it is handed.
class Recorder final : public QWidget {
public:
    std::vector<Seen> seen;
    std::function<void()> onKey;

protected:
    bool event(QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                const auto* k = static_cast<QKeyEvent*>(e);
                seen.push_back({e->type(), k->key(), k->isAutoRepeat(), {}});
                if (e->type() == QEvent::KeyPress && onKey) onKey();
                return true;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseMove:
                seen.push_back({e->type(), 0, false, static_cast<QMouseEvent*>(e)->position()});
                return true;
            default:
                return QWidget::event(e);
        }
    }
};

void Key(QWidget& w, QEvent::Type type, int key, bool autoRepeat) {
    QKeyEvent e(type, key, Qt::NoModifier, QString(), autoRepeat);
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

    // Each row: the keys that arrive during a tone (key, press or release,
    // auto-repeat) and what is handed on afterwards.
    void mergesAKeysWaitingRepeats_data() {
        QTest::addColumn<std::vector<Seen>>("arriving");
        QTest::addColumn<std::vector<Seen>>("handedOn");
        const auto press = [](int key, bool repeat) { return Seen{QEvent::KeyPress, key, repeat, {}}; };
        const auto release = [](int key, bool repeat) { return Seen{QEvent::KeyRelease, key, repeat, {}}; };
        std::vector<Seen> held;
        for (int i = 0; i < 50; ++i) {
            held.push_back(release(Qt::Key_Down, true));
            held.push_back(press(Qt::Key_Down, true));
        }
        held.push_back(release(Qt::Key_Down, false));
        QTest::newRow("a key held down, then let go")
            << held << std::vector<Seen>{press(Qt::Key_Down, true), release(Qt::Key_Down, false)};
        QTest::newRow("distinct presses are all kept")
            << std::vector<Seen>{press(Qt::Key_Down, false), release(Qt::Key_Down, false), press(Qt::Key_Down, false),
                                 release(Qt::Key_Down, false)}
            << std::vector<Seen>{press(Qt::Key_Down, false), release(Qt::Key_Down, false), press(Qt::Key_Down, false),
                                 release(Qt::Key_Down, false)};
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
            for (const Seen& s : arriving) Key(w, s.type, s.key, s.autoRepeat);
        }
        QCOMPARE(w.seen.size(), handedOn.size());
        for (std::size_t i = 0; i < handedOn.size(); ++i) {
            QCOMPARE(w.seen[i].type, handedOn[i].type);
            QCOMPARE(w.seen[i].key, handedOn[i].key);
            QCOMPARE(w.seen[i].autoRepeat, handedOn[i].autoRepeat);
        }
    }

    // Every waiting press plays a tone of its own, handed on from inside the
    // tone before it. Tones that end for good stop nesting at the bound;
    // repeated ones nest one level per press (each must hand on "Stop").
    void nestsRequestsNoDeeperThanItMust_data() {
        QTest::addColumn<bool>("repeats");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("deepest");
        QTest::newRow("single tones, a long backlog") << false << 1000 << InputGate::MaxNesting;
        QTest::newRow("single tones, a short backlog") << false << 10 << 10;
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

    // Input that arrives while a play deep in the nesting holds on waits
    // behind what was there before it.
    void keepsTheOrderWhileAPlayHoldsOn() {
        InputGate gate;
        Recorder w;
        int handled = 0;
        w.onKey = [&] {
            ++handled;
            { InputGate::Hold tone(gate); }
            // After the deepest play, as the playback loop looks for input.
            if (handled == InputGate::MaxNesting) Key(w, QEvent::KeyPress, Qt::Key_Escape, false);
        };
        {
            InputGate::Hold first(gate);
            for (int i = 0; i < InputGate::MaxNesting + 5; ++i) Key(w, QEvent::KeyPress, Qt::Key_Down, false);
        }
        QCOMPARE(w.seen.size(), std::size_t(InputGate::MaxNesting + 6));
        QCOMPARE(w.seen.back().key, int(Qt::Key_Escape));
    }
};

QTEST_MAIN(InputGateTest)
#include "input_gate_test.moc"
