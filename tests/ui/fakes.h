#pragma once
// Fakes for the window's platform services, and a fixture that builds the
// window on them inside a temporary program folder. Nothing here touches the
// real sound server, home, desktop or program folder.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "core/synth.h"
#include "platform/services.h"
#include "ui/check_box.h"
#include "ui/colour.h"
#include "ui/combo_box.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/memo.h"
#include "ui/spin_edit.h"
#include "ui/string_grid.h"
#include "ui/track_bar.h"

namespace orvik::testing {

class FakeAudio final : public AudioOutput {
public:
    std::vector<WaveImage> images;
    std::vector<std::pair<uint16_t, uint16_t>> levels;
    int cancels = 0;
    // Runs while an image "plays"; the argument counts the plays so far.
    std::function<void(int playsSoFar)> onPlay;

    void play(const WaveImage& image, PlaybackWait&) override {
        images.push_back(image);
        if (onPlay) onPlay(static_cast<int>(images.size()));
    }
    void setLevels(uint16_t left, uint16_t right) override { levels.emplace_back(left, right); }
    void cancel() override { ++cancels; }
};

class FakeEnvironment final : public Environment {
public:
    QString program;
    std::optional<QString> desktop;
    QString programPath() const override { return program; }
    std::optional<QString> desktopFolder() const override { return desktop; }
};

class FakeLauncher final : public ProgramLauncher {
public:
    std::set<QString> accepted;  // programs that "start"
    QStringList calls;
    QStringList directories;
    bool start(const QString& program, const QString& workingDirectory) override {
        calls << program;
        directories << workingDirectory;
        return accepted.count(program) > 0;
    }
};

class FakeBoxes final : public MessageBoxes {
public:
    QStringList messages;
    QStringList errors;
    std::function<void()> onMessage;
    void message(const QString& text) override {
        messages << text;
        if (onMessage) onMessage();
    }
    void error(const QString& text) override { errors << text; }
};

inline WaveImage ToneImage(uint32_t units, double frequency) {
    Partials f;
    f.fill(frequency);
    return MakeToneImage(units, f);
}

// A window on fakes, its program "installed" in a temporary folder with a
// desktop folder beside it.
struct Rig {
    QTemporaryDir dir;
    FakeAudio audio;
    FakeEnvironment environment;
    FakeLauncher launcher;
    FakeBoxes boxes;
    std::unique_ptr<TForm1> form;

    explicit Rig(const QByteArray& settings = QByteArray(), bool withSettings = true) {
        environment.program = dir.filePath("orvik");
        QDir(dir.path()).mkdir("Desktop");
        environment.desktop = dir.filePath("Desktop");
        if (withSettings)
            writeSettings(settings.isNull() ? QByteArray("1000\r\n\r\nHalbt\xF6ne\r\n50\r\n440\r\n") : settings);
        form = std::make_unique<TForm1>(Platform{audio, environment, launcher, boxes});
    }
    QString settingsPath() const { return dir.filePath("orini"); }
    void writeSettings(const QByteArray& bytes) const {
        QFile f(settingsPath());
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the test settings");
        f.write(bytes);
    }
    QByteArray readSettings() const {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString cell(int c, int r) const { return form->StringGrid1->Cell(c, r); }
    // Presses the mouse on a grid cell, as a user would.
    void clickCell(int c, int r, Qt::MouseButton button = Qt::LeftButton) const {
        TStringGrid* grid = form->StringGrid1;
        const QRect rect = grid->visualRect(grid->model()->index(r, c));
        QTest::mousePress(grid->viewport(), button, Qt::NoModifier, rect.center());
        QTest::mouseRelease(grid->viewport(), button, Qt::NoModifier, rect.center());
    }
};

}  // namespace orvik::testing
