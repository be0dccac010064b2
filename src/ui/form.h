#pragma once
// Orvik's one window. Its fields are the controls, its methods the event
// handlers; all state lives in the controls. The pure work (synthesis, the
// pitch table, rounding, the settings format, the pages and the advert) is in
// core; this class reads the controls, calls it and writes the results back.
#include <QWidget>
#include <array>
#include <cstdint>

#include "core/levels.h"
#include "core/synth.h"
#include "platform/playback_wait.h"
#include "platform/services.h"
#include "ui/input_gate.h"

class QPushButton;

namespace orvik {

class TCheckBox;
class TComboBox;
class TEdit;
class TLabel;
class TMemo;
class TSpinEdit;
class TStringGrid;
class TTrackBar;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Builds the controls and runs FormCreate.
    explicit TForm1(Platform platform, QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls on the panel.
    QWidget* Panel1;
    QPushButton* Bschliessen;
    TLabel* Label1;
    TSpinEdit* SpinEdit1;
    TLabel* Label2;
    TEdit* EFrequenz;
    TCheckBox* CheckBox1;
    QPushButton* BStop;
    TComboBox* ComboBox1;
    TSpinEdit* SEKammerton;
    TLabel* Label3;
    TTrackBar* TrackBar1;
    TLabel* LLaut;
    TCheckBox* CBlinks;
    TCheckBox* CBrechts;
    TLabel* Label4;
    TLabel* Vanok;
    // The content area: the table, and the help pages in the same place.
    TStringGrid* StringGrid1;
    TMemo* Memo1;

    // Start-up and shutdown.
    void FormCreate();
    void BschliessenClick();
    void FormClose();

    // Output level and channels.
    void TrackBar1Change();
    void CBlinksClick();
    void CBrechtsClick();
    void SetWaveVolume(uint16_t left, uint16_t right);

    // The table and its modes.
    void FillPitchTable(int32_t rowCount);
    void ComboBox1Change(const QObject* sender);
    void SEKammertonChange();
    void RoundDecimalTable();

    // Tone requests.
    void StringGrid1MouseDown();
    void StringGrid1KeyDown(int& key);
    void EFrequenzKeyPress(QChar& key);
    void EFrequenzDblClick();
    void PlayEnteredFrequency();
    void CheckBox1Click();
    void BStopClick();
    void ComboBox1KeyDown();
    void PlayTone(uint32_t duration, const Partials& partials);
    void PlayFrequency(uint32_t duration, double frequency);

    // Settings and first start.
    QString SettingsFileName() const;
    void LoadSettings();
    void SaveSettings();
    void CreateDesktopShortcut();

    // Help pages and the companion program.
    void Label4Click();
    void VanokClick();
    void DrawAdvert();

    // The client size the table last asked for; the window is never made
    // taller than its screen.
    QSize requestedClientSize() const { return requestedClientSize_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    // Runs a handler inside the guard that turns its error into the error box.
    template <typename F>
    void guarded(F&& handler);
    uint32_t toneUnits() const;
    // The channel boxes as they stand.
    ChannelChoice channels() const;
    PlaybackOps playbackOps();

    Platform platform_;
    InputGate inputGate_;
    // A tone's wait: the window keeps handling its events, and sleeps between them.
    EventLoopWait playbackWait_;
    // Set once the window closes: ends every repetition still running.
    bool closing_ = false;
    QSize requestedClientSize_;
};

}  // namespace orvik
