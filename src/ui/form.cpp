#include "ui/form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "core/advert.h"
#include "core/audio_format.h"
#include "core/checked_math.h"
#include "core/convert.h"
#include "core/decimal_rounding.h"
#include "core/desktop_entry.h"
#include "core/errors.h"
#include "core/info_pages.h"
#include "core/levels.h"
#include "core/octave_wrap.h"
#include "core/pitch_table.h"
#include "core/program_path.h"
#include "core/settings_format.h"
#include "core/subdivision_mode.h"
#include "core/tone_length.h"
#include "platform/file_reader.h"
#include "platform/file_writer.h"
#include "ui/check_box.h"
#include "ui/colour.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/guard.h"
#include "ui/label.h"
#include "ui/memo.h"
#include "ui/qt_text.h"
#include "ui/spin_edit.h"
#include "ui/string_grid.h"
#include "ui/track_bar.h"

namespace orvik {

namespace {

// Room on Wayland for what a compositor draws and reserves beyond the
// window: a title bar (sway 25 px, KWin about 30) and a panel (Plasma's
// 44 px by default).
constexpr int WaylandFrameAllowance = 80;

// The tallest client area that keeps the window, its frame included, on the
// screen. `frame` is what the window system's frame adds, as far as Qt
// knows it. On X11 the window is moved to the top and may take the whole
// available height. On Wayland a program can neither move its window nor
// learn a compositor-drawn title bar, and Qt reports the whole output as
// available, panels included, so it leaves room for both. At a fractional
// scale the logical height rounds up to one device pixel more than the
// screen has; one logical pixel less fits.
int TallestFitting(const QScreen& screen, int frame) {
    int height = screen.availableGeometry().height() - frame;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && frame == 0)
        height -= WaylandFrameAllowance;
    const qreal ratio = screen.devicePixelRatio();
    if (ratio != std::floor(ratio)) height -= 1;
    return height;
}

constexpr uint32_t White = 16777215;
constexpr uint32_t Cyan = 16776960;
constexpr int PanelHeight = 57;

QFont windowFont(int points) {
    // The classic dialog font is missing on most Linux desktops: ask for it,
    // then for fonts of about its width (the captions are laid out for it),
    // and finally let the toolkit fall back to the desktop's sans-serif.
    QFont font(QStringLiteral("MS Sans Serif"), points);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace

template <typename F>
void TForm1::guarded(F&& handler) {
    RunGuarded(platform_.boxes, std::forward<F>(handler));
}

TForm1::TForm1(Platform platform, QWidget* parent) : QWidget(parent), platform_(platform) {
    buildControls();
    connectHandlers();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::buildControls() {
    setWindowTitle(QStringLiteral("Orvik"));
    setFont(windowFont(8));
    setGeometry(292, 197, 604, 358);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, width(), PanelHeight);

    const auto place = [](QWidget* w, const char* name, int left, int top, int width, int height) {
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(left, top, width, height);
    };
    // A control with a caption beside it is named by that caption, which a
    // screen reader speaks on reaching it.
    const auto nameAfter = [](QWidget* control, QLabel* caption) {
        caption->setBuddy(control);
        control->setAccessibleName(caption->text());
    };

    Bschliessen = new QPushButton(QStringLiteral("Schliessen"), Panel1);
    place(Bschliessen, "Bschliessen", 0, 0, 75, 22);
    Bschliessen->setToolTip(QStringLiteral("Beendet das Programm"));

    const QString durationHint = QStringLiteral("Einstellung für die Dauer des Tones in Millisekunden");
    Label1 = new TLabel(Panel1);
    Label1->setText(QStringLiteral("Länge [ms]"));
    place(Label1, "Label1", 80, 4, 52, 13);
    Label1->setToolTip(durationHint);

    SpinEdit1 = new TSpinEdit(Panel1);
    place(SpinEdit1, "SpinEdit1", 136, 0, 57, 22);
    SpinEdit1->SetIncrement(100);
    SpinEdit1->SetValue(1000);
    SpinEdit1->setToolTip(durationHint);
    nameAfter(SpinEdit1, Label1);

    const QString frequencyHint =
        QStringLiteral("Geben Sie die Frequenz ein und schließen Sie mit der Eingabetaste ab");
    Label2 = new TLabel(Panel1);
    Label2->setText(QStringLiteral("Frequenz[Hz]"));
    place(Label2, "Label2", 200, 5, 63, 13);
    Label2->setToolTip(frequencyHint);

    EFrequenz = new TEdit(Panel1);
    place(EFrequenz, "EFrequenz", 272, 0, 41, 21);
    EFrequenz->setToolTip(frequencyHint);
    nameAfter(EFrequenz, Label2);

    CheckBox1 = new TCheckBox(Panel1);
    CheckBox1->setText(QStringLiteral("Aushalten"));
    place(CheckBox1, "CheckBox1", 312, 0, 73, 17);
    CheckBox1->setToolTip(
        QStringLiteral("Solange das Häkchen gesetzt ist, wird der Ton immer wieder von neuem abgespielt"));

    BStop = new QPushButton(QStringLiteral("Stop"), Panel1);
    place(BStop, "BStop", 384, 0, 57, 22);
    BStop->setToolTip(QStringLiteral("Stoppt die Wiederholungen"));

    ComboBox1 = new TComboBox(Panel1);
    place(ComboBox1, "ComboBox1", 448, 0, 97, 21);
    ComboBox1->addItems({QStringLiteral("Halbtöne"), QStringLiteral("Viertelstöne"), QStringLiteral("Dezimal Halb"),
                         QStringLiteral("Dezimal Viertel"), QStringLiteral("Dezimal  1/20")});
    ComboBox1->SetText(QStringLiteral("Halbtöne"));
    ComboBox1->setToolTip(QStringLiteral("Art der Unterteilung"));

    SEKammerton = new TSpinEdit(Panel1);
    place(SEKammerton, "SEKammerton", 544, 0, 50, 22);
    SEKammerton->SetIncrement(1);
    SEKammerton->SetValue(440);
    SEKammerton->setAccessibleName(QStringLiteral("Kammerton a1 [Hz]"));

    Label3 = new TLabel(Panel1);
    Label3->setText(QStringLiteral("Lautstärke"));
    place(Label3, "Label3", 0, 32, 50, 13);

    TrackBar1 = new TTrackBar(Panel1);
    place(TrackBar1, "TrackBar1", 56, 24, 401, 30);
    TrackBar1->SetPosition(50);
    TrackBar1->setToolTip(QStringLiteral("Lautstärkeregler (Die Lautstärke wird noch von Ihrer Anlage mitbestimmt)"));
    nameAfter(TrackBar1, Label3);

    LLaut = new TLabel(Panel1);
    LLaut->setText(QStringLiteral("50%"));
    place(LLaut, "LLaut", 468, 30, 26, 16);
    LLaut->setFont(windowFont(10));

    CBlinks = new TCheckBox(Panel1);
    CBlinks->setText(QStringLiteral("links"));
    place(CBlinks, "CBlinks", 498, 24, 50, 15);
    CBlinks->setChecked(true);

    CBrechts = new TCheckBox(Panel1);
    CBrechts->setText(QStringLiteral("rechts"));
    place(CBrechts, "CBrechts", 498, 40, 50, 15);
    CBrechts->setChecked(true);

    Label4 = new TLabel(Panel1, TLabel::Kind::ActsOnClick);
    Label4->setText(QStringLiteral("Info"));
    place(Label4, "Label4", 552, 22, 23, 13);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    Label4->SetBackgroundColour(6447871);

    Vanok = new TLabel(Panel1, TLabel::Kind::ActsOnClick);
    Vanok->setText(QStringLiteral("Kalvano"));
    place(Vanok, "Vanok", 552, 40, 42, 13);
    Vanok->SetBackgroundColour(7697919);

    StringGrid1 = new TStringGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->SetColCount(11);
    StringGrid1->SetRowCount(13);
    StringGrid1->SetBackgroundColour(White);
    StringGrid1->setAccessibleName(QStringLiteral("Frequenztabelle"));

    Memo1 = new TMemo(this);
    Memo1->setObjectName("Memo1");
    Memo1->setFont(windowFont(10));
    Memo1->SetText(QString());
    Memo1->hide();
    Memo1->setAccessibleName(QStringLiteral("Infotext"));

    // Labels grow with their captions, so a wider fallback font never cuts them.
    for (TLabel* label : {Label1, Label2, Label3, LLaut, Label4, Vanok})
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());

    resizeEvent(nullptr);
}

void TForm1::connectHandlers() {
    connect(Bschliessen, &QPushButton::clicked, this, [this] { guarded([this] { BschliessenClick(); }); });
    EFrequenz->SetKeyPressHandler([this](QChar& key) { guarded([&] { EFrequenzKeyPress(key); }); });
    connect(EFrequenz, &TEdit::doubleClicked, this, [this] { guarded([this] { EFrequenzDblClick(); }); });
    connect(CheckBox1, &TCheckBox::changed, this, [this] { guarded([this] { CheckBox1Click(); }); });
    connect(BStop, &QPushButton::clicked, this, [this] { guarded([this] { BStopClick(); }); });
    connect(ComboBox1, &TComboBox::userChanged, this, [this] { guarded([this] { ComboBox1Change(ComboBox1); }); });
    connect(ComboBox1, &TComboBox::keyDown, this, [this] { guarded([this] { ComboBox1KeyDown(); }); });
    // The concert-pitch handler deals with its own errors.
    connect(SEKammerton, &TSpinEdit::changed, this, [this] { SEKammertonChange(); });
    connect(TrackBar1, &TTrackBar::changed, this, [this] { guarded([this] { TrackBar1Change(); }); });
    connect(CBlinks, &TCheckBox::changed, this, [this] { guarded([this] { CBlinksClick(); }); });
    connect(CBrechts, &TCheckBox::changed, this, [this] { guarded([this] { CBrechtsClick(); }); });
    connect(Label4, &TLabel::clicked, this, [this] { guarded([this] { Label4Click(); }); });
    connect(Memo1, &TMemo::clicked, this, [this] { guarded([this] { Label4Click(); }); });
    connect(Vanok, &TLabel::clicked, this, [this] { guarded([this] { VanokClick(); }); });
    StringGrid1->SetMouseDownHandler([this] { guarded([this] { StringGrid1MouseDown(); }); });
    StringGrid1->SetKeyDownHandler([this](int& key) { guarded([&] { StringGrid1KeyDown(key); }); });
}

void TForm1::resizeEvent(QResizeEvent* event) {
    if (event) QWidget::resizeEvent(event);
    Panel1->setGeometry(0, 0, width(), PanelHeight);
    const QRect content(0, PanelHeight, width(), std::max(0, height() - PanelHeight));
    StringGrid1->setGeometry(content);
    Memo1->setGeometry(content);
}

// ---- Start-up and shutdown -------------------------------------------------

void TForm1::FormCreate() {
    // An error in any step ends the sequence there; the window still opens.
    guarded([this] {
        TrackBar1Change();
        BStop->setEnabled(false);
        FillPitchTable(13);
        LoadSettings();
        StringGrid1->ApplyStartupBehaviour();
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return;
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size();
        const int top = (area.height() - outer.height()) / 2;
        const int left = (area.width() - outer.width()) / 2;
        move(area.x() + left, area.y() + top);
    });
}

void TForm1::BschliessenClick() {
    SaveSettings();
    CheckBox1->setChecked(false);
    close();
}

void TForm1::FormClose() {}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    // However the window closes, nothing may go on sounding without it: end
    // every repetition and cut the tone that is playing.
    closing_ = true;
    platform_.audio.cancel();
    event->accept();
}

// ---- Output level and channels ---------------------------------------------

ChannelChoice TForm1::channels() const { return {CBlinks->isChecked(), CBrechts->isChecked()}; }

void TForm1::TrackBar1Change() {
    const int position = TrackBar1->Position();
    LLaut->setText(QString::number(position) + QLatin1Char('%'));
    const ChannelLevels levels = LevelsFor(position, channels());
    SetWaveVolume(levels.left, levels.right);
}

void TForm1::CBlinksClick() {
    CBrechts->setChecked(KeepOneChannelOn(channels(), Channel::Left).right);
    TrackBar1Change();
}

void TForm1::CBrechtsClick() {
    CBlinks->setChecked(KeepOneChannelOn(channels(), Channel::Right).left);
    TrackBar1Change();
}

void TForm1::SetWaveVolume(uint16_t left, uint16_t right) { platform_.audio.setLevels(left, right); }

// ---- The table and its modes -----------------------------------------------

void TForm1::FillPitchTable(int32_t rowCount) {
    StringGrid1->SetColCount(11);
    StringGrid1->SetRowCount(rowCount);
    const int32_t concertPitch = SEKammerton->Value();
    const bool noteNames = !ModeOfText(Utf8FromQString(ComboBox1->Text())).decimal;
    // Computed in full before the grid is touched: an overflow leaves the
    // previous texts in place.
    const TextTable table = ComputePitchTable(concertPitch, rowCount, noteNames);
    StringGrid1->SetCells(table);
    const int32_t width = CheckedAdd(CheckedMul(StringGrid1->DefaultColWidth(), StringGrid1->ColCount()), 50);
    const int32_t height = CheckedAdd(CheckedMul(StringGrid1->DefaultRowHeight(), StringGrid1->RowCount()), 120);
    requestedClientSize_ = QSize(width, height);
    // The 200-row table asks for far more height than any screen has; the
    // window then takes what the screen offers and the table scrolls, so
    // every row stays reachable.
    int shownHeight = height;
    if (const QScreen* screen = this->screen()) {
        shownHeight =
            std::min(height, std::max(PanelHeight, TallestFitting(*screen, frameGeometry().height() - this->height())));
    }
    resize(width, shownHeight);
}

void TForm1::ComboBox1Change(const QObject* sender) {
    // The box's text is the mode's only record, read afresh at each step:
    // setting the concert pitch rebuilds the table from inside this handler.
    const auto mode = [this] { return ModeOfText(Utf8FromQString(ComboBox1->Text())); };
    if (sender) SEKammerton->SetValue(ConcertPitchOf(mode()));
    const SubdivisionMode chosen = mode();
    if (chosen.rows > 0) {
        if (chosen.toScreenTop) move(x(), 0);
        FillPitchTable(chosen.rows);
    }
    if (mode().decimal) RoundDecimalTable();
}

void TForm1::SEKammertonChange() {
    // Every keystroke rebuilds from the value typed so far; a value the table
    // cannot be built from simply leaves the previous table standing.
    try {
        ComboBox1Change(nullptr);
    } catch (...) {}
}

void TForm1::RoundDecimalTable() {
    TextTable table = StringGrid1->Cells();
    try {
        orvik::RoundDecimalTable(table);
    } catch (...) {
        StringGrid1->SetCells(table);  // the cells rounded before the error stay rounded
        throw;
    }
    StringGrid1->SetCells(table);
}

// ---- Tone requests -----------------------------------------------------------

PlaybackOps TForm1::playbackOps() {
    PlaybackOps ops;
    ops.sustained = [this] { return CheckBox1->isChecked() && !closing_; };
    ops.playImage = [this, sustained = ops.sustained](const WaveImage& image) {
        if (closing_) return;
        // The window goes on painting while the tone sounds; mouse and keys
        // wait, and are handled in order once the request that played has
        // returned (at once between repetitions, so "Stop" can end them).
        InputGate::Hold hold(inputGate_, sustained);
        platform_.audio.play(image, playbackWait_);
    };
    ops.processMessages = [] { QCoreApplication::processEvents(); };
    return ops;
}

void TForm1::PlayTone(uint32_t duration, const Partials& partials) {
    orvik::PlayTone(playbackOps(), duration, partials);
}

void TForm1::PlayFrequency(uint32_t duration, double frequency) {
    orvik::PlayFrequency(playbackOps(), duration, frequency);
}

uint32_t TForm1::toneUnits() const { return ToneUnits(SpinEdit1->Value()); }

void TForm1::StringGrid1MouseDown() {
    const std::string text = Utf8FromQString(StringGrid1->Cell(StringGrid1->Col(), StringGrid1->Row()));
    const std::string word = FirstWord(text);
    const int32_t frequency = StrToInt(word);
    EFrequenz->setText(QStringFromUtf8(word));
    QCoreApplication::processEvents();
    PlayFrequency(toneUnits(), frequency);
}

void TForm1::StringGrid1KeyDown(int& key) {
    if (key == Qt::Key_Down || key == Qt::Key_Up) {
        const VerticalKey direction = key == Qt::Key_Down ? VerticalKey::Down : VerticalKey::Up;
        const GridCell at{StringGrid1->Col(), StringGrid1->Row()};
        if (const auto wrapped = OctaveWrap(direction, at, StringGrid1->ColCount(), StringGrid1->RowCount())) {
            key = 0;
            StringGrid1->MoveTo(wrapped->col, wrapped->row);
        }
    }
    StringGrid1MouseDown();
}

void TForm1::EFrequenzKeyPress(QChar& key) {
    if (key == QChar(13)) PlayEnteredFrequency();
}

void TForm1::EFrequenzDblClick() { PlayEnteredFrequency(); }

void TForm1::PlayEnteredFrequency() {
    const std::string word = FirstWord(Utf8FromQString(EFrequenz->text()));
    const QString separator = QLocale().decimalPoint();
    const char decimal =
        separator.size() == 1 && separator.at(0).unicode() < 0x80 ? char(separator.at(0).unicode()) : '.';
    const double frequency = StrToFloat(word, decimal);
    if (frequency > FrequencyLimit) {
        platform_.boxes.message(QStringLiteral("Frequenz zu hoch"));
        EFrequenz->setText(QStringLiteral("440"));
        return;
    }
    QCoreApplication::processEvents();
    PlayFrequency(toneUnits(), frequency);
}

void TForm1::CheckBox1Click() {
    if (CheckBox1->isChecked()) {
        SpinEdit1->SetValue(SustainedLength(SpinEdit1->Value()));
        StringGrid1->SetBackgroundColour(Cyan);
        BStop->setEnabled(true);
    } else {
        SpinEdit1->SetValue(UnsustainedLength(SpinEdit1->Value()));
        StringGrid1->SetBackgroundColour(White);
        StringGrid1->setAccessibleName(QStringLiteral("Frequenztabelle"));
        BStop->setEnabled(false);
    }
}

void TForm1::BStopClick() {
    if (CheckBox1->isChecked()) CheckBox1->setChecked(false);
}

void TForm1::ComboBox1KeyDown() { StringGrid1->setFocus(); }

// ---- Settings and first start ------------------------------------------------

QString TForm1::SettingsFileName() const {
    return QStringFromUtf8(orvik::SettingsFileName(Utf8FromQString(platform_.environment.programPath())));
}

void TForm1::LoadSettings() {
    const QString path = SettingsFileName();
    const std::optional<std::string> bytes = ReadSmallFile(path, MaxSettingsFileBytes);
    if (!bytes) {
        // No readable settings: this is a first start.
        CreateDesktopShortcut();
        return;
    }
    const std::vector<std::string> lines = ReadSettingsLines(*bytes);
    if (lines.size() < 5) return;
    SpinEdit1->SetValue(StrToInt(lines[0]));
    EFrequenz->setText(QStringFromUtf8(FirstWord(lines[1])));
    ComboBox1->SetText(QStringFromUtf8(lines[2]));
    TrackBar1->SetPosition(StrToInt(lines[3]));
    SEKammerton->SetValue(StrToInt(lines[4]));
    ComboBox1Change(nullptr);
}

void TForm1::SaveSettings() {
    const std::vector<std::string> lines{IntToStr(SpinEdit1->Value()), Utf8FromQString(EFrequenz->text()),
                                         Utf8FromQString(ComboBox1->Text()), IntToStr(TrackBar1->Position()),
                                         IntToStr(SEKammerton->Value())};
    const std::string bytes = WriteSettingsBytes(lines);
    const QString path = SettingsFileName();
    // Written beside the old file and renamed over it only when complete, so
    // a crash or a full disk never leaves the settings truncated.
    if (!WriteWholeFile(path, bytes)) throw Error::fileCreate(Utf8FromQString(path));
}

void TForm1::CreateDesktopShortcut() {
    // Without a desktop folder there is nowhere to put a launcher.
    const std::optional<QString> desktop = platform_.environment.desktopFolder();
    if (!desktop) return;
    const QString path = QStringFromUtf8(DesktopEntryPath(Utf8FromQString(*desktop)));
    std::string text;
    try {
        text = DesktopEntryText(Utf8FromQString(platform_.environment.programPath()));
    } catch (const Error&) {
        return;  // a program path no launcher can name; the program runs without one
    }
    // A launcher that could not be written is not worth holding up the first
    // start for, and claiming it was made would be wrong.
    if (!WriteWholeFile(path, text)) return;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    platform_.boxes.message(
        QStringLiteral("Es wurde eine Verknüpfung auf dem Desktop erstellt.\rDiese können Sie mit Klick auf die "
                       "rechte Maustaste löschen."));
}

// ---- Help pages and the companion program --------------------------------------

void TForm1::Label4Click() {
    switch (NextPageStep(Memo1->isVisibleTo(this), Utf8FromQString(Memo1->FirstLine()))) {
        case PageStep::ShowPage1:
            Memo1->SetText(QStringFromUtf8(InfoPage1));
            Memo1->show();
            StringGrid1->hide();
            break;
        case PageStep::ShowPage2:
            Memo1->SetText(QStringFromUtf8(InfoPage2));
            break;
        case PageStep::ShowPage3:
            Memo1->SetText(QStringFromUtf8(InfoPage3));
            break;
        case PageStep::BackToTable:
            Memo1->hide();
            Memo1->setAccessibleName(QStringLiteral("Infotext"));
            StringGrid1->show();
            ComboBox1Change(nullptr);
            break;
    }
}

void TForm1::VanokClick() {
    const QString directory = QStringFromUtf8(ProgramDirectory(Utf8FromQString(platform_.environment.programPath())));
    if (platform_.launcher.start(directory + QStringLiteral("kalvano.exe"), directory)) return;
    StringGrid1->show();
    Memo1->hide();
    Memo1->setAccessibleName(QStringLiteral("Infotext"));
    if (!platform_.launcher.start(directory + QStringLiteral("vanok.exe"), directory)) DrawAdvert();
    for (const CadenceChord& chord : Cadence()) PlayTone(chord.duration, chord.partials);
    platform_.boxes.message(QStringFromUtf8(CompanionMessage));
    ComboBox1Change(nullptr);
}

void TForm1::DrawAdvert() {
    move(x(), 0);
    const QSize area = StringGrid1->size();
    const QColor background = ColourFromNumber(StringGrid1->BackgroundColour());
    StringGrid1->SetOverlay([area, background](QPainter& painter) {
        painter.setPen(QColor(Qt::black));
        painter.setBrush(background);
        painter.drawRect(0, 0, area.width(), area.height());
        QFont courier(QStringLiteral("Courier New"), 10);
        // Where Courier New is missing, any monospaced font keeps the chord
        // table's columns aligned.
        courier.setStyleHint(QFont::TypeWriter);
        courier.setFixedPitch(true);
        painter.setFont(courier);
        const int ascent = painter.fontMetrics().ascent();
        for (const AdvertText& text : AdvertTexts())
            painter.drawText(text.x, text.y + ascent, QStringFromUtf8(text.text));
        painter.setPen(ColourFromNumber(AdvertColour));
        int y = 0;
        for (std::string_view line : PictureLines()) {
            for (std::size_t i = 0; i < line.size(); ++i) {
                if (line[i] != ' ') painter.drawPoint(static_cast<int>(i) + 1, y);
            }
            ++y;
        }
    });
}

}  // namespace orvik
