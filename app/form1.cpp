#include "app/form1.h"

#include <QEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "app/Module1.h"
#include "seams/Seams.h"
#include "app/ListOptions.h"
#include "app/FolderOptions.h"
#include "app/LibraryWatch.h"
#include "app/PlayHistoryWindow.h"
#include "app/TagOptions.h"
#include "layout/Twips.h"
#include "app/decks/DeckFactory.h"
#include "app/decks/SliderRelease.h"
#include "app/decks/SoundOptions.h"
#include "windows/ManualViewer.h"
#include "windows/formlist.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/frmBroadcast.h"
#include "windows/frmPreListen.h"
#include "windows/frmSoundOutput.h"
#include "windows/id3search.h"
#include "windows/multilist.h"

namespace {

// A check box whose caption wraps onto a second line where the box is
// narrow, as the fade switch squeezed between the two decks is.
class WrappingCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QString caption = opt.text;
        opt.text.clear();
        p.drawControl(QStyle::CE_CheckBox, opt);
        const QRect r = style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, this);
        p.drawItemText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                       palette(), isEnabled(), caption, QPalette::WindowText);
    }
};

QLabel* makeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QLabel>(parent, caption, Twips::font("Times New Roman", 12, true), l, t, w, h);
}

// The deck and count labels: the system highlight colour behind yellow or white text.
void highlight(QLabel* lbl, const QColor& text) {
    lbl->setAutoFillBackground(true);
    QPalette p = lbl->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Highlight));
    p.setColor(QPalette::WindowText, text);
    lbl->setPalette(p);
}

QPushButton* makeButton(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QPushButton>(parent, caption, Twips::font("Arial Black", 9), l, t, w, h);
}

ListView* makeSongList(QWidget* parent, int l, int t, int w, int h) {
    auto* lv = new ListView(parent);
    lv->setFont(Twips::font("MS Sans Serif", 8.25));
    lv->SetColumns({{"id", 0}, {"Song", 5500}, {"Path", 0}});
    Twips::place(lv, l, t, w, h);
    return lv;
}

}  // namespace

form1::form1() : CommonDialog1(this, QStringLiteral("vlx")) {
    setWindowTitle(QStringLiteral("Velumix"));
    BuildMenus();
    client = new QWidget(this);
    Twips::place(client, 0, 0, 11055, 7215);
    client->move(0, menuBar->sizeHint().height());
    BuildSearchSide();
    BuildCueSide();
    BuildDecks();
    setFixedSize(client->width(), client->y() + client->height());
    Wire();
}

form1::~form1() = default;

void form1::BuildSearchSide() {
    Label5 = makeLabel(client, "Search", 0, 0, 1215, 375);
    txtSearch = new QLineEdit(client);
    Twips::place(txtSearch, 1200, 0, 3735, 375);
    Command1 = makeButton(client, "&GO!", 4920, 0, 615, 375);
    lstresults = makeSongList(client, 0, 360, 5565, 3015);
    lblTotalsongs = makeLabel(client, QString(), 0, 3375, 5535, 375);
    highlight(lblTotalsongs, Qt::yellow);
    Label1 = makeLabel(client, "Search List Controls", 0, 3720, 5535, 375);
    cmdFirst = makeButton(client, "Se&nd To Top of Playlist", 0, 4080, 2767, 360);
    Command7 = makeButton(client, "&Add All From Search", 2760, 4080, 2767, 360);
    Command4 = makeButton(client, "Clear &Search", 0, 4440, 5525, 375);
    cmdShowSongs = makeButton(client, "S&how All Songs", 0, 4800, 11065, 495);
}

void form1::BuildCueSide() {
    Label4 = makeLabel(client, "Play List", 5520, 0, 5565, 375);
    Command3 = makeButton(client, "&Clearlist", 10080, 0, 975, 375);
    lstPlaylist = makeSongList(client, 5520, 360, 5565, 3015);
    lblPlaySongs = makeLabel(client, QString(), 5550, 3375, 5525, 375);
    highlight(lblPlaySongs, Qt::yellow);
    // Over the empty right part of the count label, which keeps its own text.
    lblCueTime = makeLabel(client, QString(), 7500, 3375, 2580, 375);
    highlight(lblCueTime, Qt::yellow);
    lblCueTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmdUP = makeButton(client, QString(), 10080, 3360, 495, 375);
    cmdUP->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    cmdUP->setToolTip("Move Song Up");
    cmdDown = makeButton(client, QString(), 10560, 3360, 495, 375);
    cmdDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    cmdDown->setToolTip("Move Song Down");
    Label6 = makeLabel(client, "Play List Controls", 5520, 3720, 5535, 375);
    cmdPlayNow = makeButton(client, "&Move to Top", 8040, 4080, 1798, 365);
    cmdCS = makeButton(client, "C&lear Selection", 8040, 4440, 1815, 375);
    cmdSave = makeButton(client, "&Save List", 9840, 4080, 1335, 375);
    cmdOpen = makeButton(client, "&Open List", 9840, 4440, 1335, 360);
}

void form1::BuildDecks() {
    Command2 = makeButton(client, "&Play Compiled List", 5520, 4080, 2535, 735);
    Label2 = makeLabel(client, "Deck 1", 0, 5280, 5535, 375);
    Label3 = makeLabel(client, "Deck 2", 5520, 5280, 5535, 375);
    lblt1 = makeLabel(client, QString(), 0, 5760, 1335, 375);
    lblt2 = makeLabel(client, QString(), 9720, 5760, 1335, 375);
    for (QLabel* l : {Label2, Label3, lblt1, lblt2}) highlight(l, Qt::yellow);
    MP1 = new DeckControl(MakeDeckPlayer(1), client);
    Twips::place(MP1, 1320, 5640, 3495, 615);
    chkAutoFade = new WrappingCheckBox("Enable Auto Fade", client);
    chkAutoFade->setFont(Twips::font("MS Sans Serif", 8.25));
    Twips::place(chkAutoFade, 4800, 5640, 1455, 615);
    MP2 = new DeckControl(MakeDeckPlayer(2), client);
    Twips::place(MP2, 6240, 5640, 3495, 615);
    lblD1 = makeLabel(client, "Currently Playing", 0, 6240, 5535, 375);
    lblD2 = makeLabel(client, "Currently Playing", 5520, 6240, 5535, 375);
    highlight(lblD1, Qt::white);
    highlight(lblD2, Qt::white);
    lblD1->setMouseTracking(true);
    lblD2->setMouseTracking(true);
    // The name of the song last started by playsong; kept off screen, as in the design.
    lbldisplay = new QLabel(client);
    lbldisplay->hide();
    // In the menu bar's empty right end, the one place where it hides no caption.
    lblNoSound = new QLabel(QStringLiteral("No sound device found: the decks play silently"), this);
    const int menusEnd = menuBar->sizeHint().width();
    lblNoSound->setGeometry(menusEnd, 0, client->width() - menusEnd, client->y());
    lblNoSound->setAlignment(Qt::AlignCenter);
    lblNoSound->setAutoFillBackground(true);
    lblNoSound->setStyleSheet(QStringLiteral("background: #b00000; color: white; font-weight: bold"));
    lblNoSound->setVisible(!MP1->player()->HasSoundDevice());
    cmdLD1 = makeButton(client, "Load Deck1", 0, 6600, 2955, 615);
    Command5 = makeButton(client, "<", 2880, 6600, 495, 615);
    Fader = new QSlider(Qt::Horizontal, client);
    Fader->setRange(CrossFade::kFaderDeck1, CrossFade::kFaderDeck2);
    Fader->setPageStep(5);
    Fader->setSingleStep(1);
    Twips::place(Fader, 3360, 6600, 4575, 615);
    Command6 = makeButton(client, ">", 7920, 6600, 495, 615);
    cmdLD2 = makeButton(client, "Load Deck2", 8280, 6600, 2940, 615);
    // The fader's end buttons overlap the load buttons and must stay clickable on top.
    Command5->raise();
    Command6->raise();

    Timer1 = new QTimer(this);
    Timer2 = new QTimer(this);
    Timer1->setInterval(60);
    Timer2->setInterval(60);
    T1 = new QTimer(this);
    T2 = new QTimer(this);
    T1->setInterval(fade_.tickMs);
    T2->setInterval(fade_.tickMs);
}

void form1::BuildMenus() {
    menuBar = new QMenuBar(this);
    mnu_File = menuBar->addMenu("&File");
    mnuOpen = mnu_File->addAction("&Open Single");
    mnuOpen->setShortcut(QKeySequence("Ctrl+O"));
    mnuOpenList = mnu_File->addAction("Open &List");
    mnuSave = mnu_File->addAction("&Save List");
    mnuSave->setShortcut(QKeySequence("Ctrl+S"));
    mnuSep = mnu_File->addSeparator();
    mnu_exit = mnu_File->addAction("E&xit");
    mnu_File->addSeparator();
    mnuImportList = mnu_File->addAction("&Import Play List...");
    mnuExportList = mnu_File->addAction("&Export Play List...");
    mnuExportRelative = Options::AddMenuItem(mnu_File, kExportRelative);
    mnu_Tools = menuBar->addMenu("&Tools");
    mnuAutorecover = mnu_Tools->addAction("&Auto Recover");
    mnuAutorecover->setCheckable(true);
    mnu_Setup = mnu_Tools->addAction("&Setup");
    mnuFadeNow = mnu_Tools->addAction("Fade &Now");
    mnuFadeNow->setShortcut(QKeySequence("Ctrl+N"));
    mnuSoundOutput = mnu_Tools->addAction("Sound Output...");
    mnuBroadcast = mnu_Tools->addAction("Broadcast...");
    mnu_Tools->addSeparator();
    Options::AddMenuItem(mnu_Tools, Options::MoreAudioTypes);
    Options::AddMenuItem(mnu_Tools, Options::ReadAllTagFormats);
    Options::AddMenuItem(mnu_Tools, Options::SearchTagsToo);
    Options::AddMenuItem(mnu_Tools, Options::ShowTagColumns, [this](bool) { ApplyTagColumns(); });
    Options::AddMenuItem(mnu_Tools, Options::IncludeSubfolders);
    Options::AddMenuItem(mnu_Tools, Options::WatchFolders, [](bool) { LibraryWatch::Refresh(); });
    mnu_Tools->addSeparator();
    for (const Options::Flag* o :
         {&SoundOptions::kSmoothFades, &SoundOptions::kSkipSilence, &SoundOptions::kLevelLoudness})
        Options::AddMenuItem(mnu_Tools, *o);
    mnuSearch = menuBar->addMenu("Sea&rch");
    mnu_ID3 = mnuSearch->addAction("ID3 &Tag Search");
    mnu_multilist = mnuSearch->addAction("&Multilist Viewer");
    mnu_help = menuBar->addMenu("&Help");
    mnuQuickHelp = mnu_help->addAction("&Quick Help");
    mnuHelpGuide = mnu_help->addAction("&Help Guide");
    mnuLogOnline = mnu_help->addAction("&Log problem online");
    mnuEmail = mnu_help->addAction(EmailCaption());
    mnu_about = mnu_help->addAction("&About...");
    // The two pop-ups are menus of the window that never show on the menu bar.
    mnurightclicklist = new QMenu("rightclicklist", this);
    mnuDeleteSelected = mnurightclicklist->addAction("Delete Selected");
    mnuDeleteSelected->setCheckable(true);
    mnuSendSelected = new QMenu("SendSelected", this);
    mnuAddSelected = mnuSendSelected->addAction("Add Selected");
    mnuAddSelected->setCheckable(true);
}

void form1::Wire() {
    WireUnattended();
    WireCueTime();
    WireDrops();
    WireSound();
    WireBroadcast();
    // search side
    connect(Command1, &QPushButton::clicked, this, &form1::Command1_Click);
    txtSearch->installEventFilter(this);
    connect(cmdShowSongs, &QPushButton::clicked, this, &form1::cmdShowSongs_Click);
    connect(Command4, &QPushButton::clicked, this, &form1::Command4_Click);
    connect(lstresults, &ListView::Click, this, &form1::lstresults_Click);
    connect(lstresults, &ListView::MouseMove, this, &form1::lstresults_MouseMove);
    connect(lstresults, &ListView::DblClick, this, &form1::lstresults_DblClick);
    connect(lstresults, &ListView::MouseDown, this, &form1::lstresults_MouseDown);
    connect(mnuAddSelected, &QAction::triggered, this, &form1::mnuAddSelected_Click);
    connect(cmdFirst, &QPushButton::clicked, this, &form1::cmdFirst_Click);
    connect(Command7, &QPushButton::clicked, this, &form1::Command7_Click);

    // the cue
    connect(cmdUP, &QPushButton::clicked, this, &form1::cmdUP_Click);
    connect(cmdDown, &QPushButton::clicked, this, &form1::cmdDown_Click);
    connect(lstPlaylist, &ListView::DblClick, this, &form1::lstPlaylist_DblClick);
    connect(lstPlaylist, &ListView::Click, this, &form1::lstPlaylist_Click);
    connect(lstPlaylist, &ListView::MouseDown, this, &form1::lstPlaylist_MouseDown);
    connect(mnuDeleteSelected, &QAction::triggered, this, &form1::mnuDeleteSelected_Click);
    connect(cmdPlayNow, &QPushButton::clicked, this, &form1::cmdPlayNow_Click);
    connect(cmdCS, &QPushButton::clicked, this, &form1::cmdCS_Click);
    connect(Command3, &QPushButton::clicked, this, &form1::Command3_Click);
    connect(cmdSave, &QPushButton::clicked, this, &form1::cmdSave_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &form1::cmdOpen_Click);

    // the decks
    connect(Command2, &QPushButton::clicked, this, &form1::Command2_Click);
    connect(cmdLD1, &QPushButton::clicked, this, &form1::cmdLD1_Click);
    connect(cmdLD2, &QPushButton::clicked, this, &form1::cmdLD2_Click);
    connect(MP1, &DeckControl::EndOfStream, this, &form1::MP1_EndOfStream);
    // Deck 2 has no handler of its own; the engine still hears it end.
    connect(MP2, &DeckControl::EndOfStream, this, [this] { LiveDeckEnded(2); });
    connect(MP1, &DeckControl::PlayStateChange, this, &form1::MP1_PlayStateChange);
    connect(MP2, &DeckControl::PlayStateChange, this, &form1::MP2_PlayStateChange);
    connect(Timer1, &QTimer::timeout, this, &form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &form1::Timer2_Timer);
    connect(T1, &QTimer::timeout, this, &form1::T1_Timer);
    connect(T2, &QTimer::timeout, this, &form1::T2_Timer);
    // A click on the box is the user's; setting it from code raises nothing.
    connect(chkAutoFade, &QCheckBox::clicked, this, &form1::chkAutoFade_Click);
    // The fader acts when the user lets go of it, never when code moves it.
    connect(Fader, &QSlider::sliderReleased, this, &form1::Fader_Click);
    connect(new SliderRelease(Fader), &SliderRelease::released, this, &form1::Fader_Click);
    connect(Command5, &QPushButton::clicked, this, &form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &form1::Command6_Click);
    lblD1->installEventFilter(this);
    lblD2->installEventFilter(this);

    // menus
    connect(mnuOpen, &QAction::triggered, this, &form1::mnuOpen_Click);
    connect(mnuOpenList, &QAction::triggered, this, &form1::mnuOpenList_Click);
    connect(mnuSave, &QAction::triggered, this, &form1::mnuSave_Click);
    connect(mnu_exit, &QAction::triggered, this, &form1::mnu_exit_Click);
    // A checkable item reverses its own check mark before it signals, so the
    // handler finds the new state and must not reverse it a second time.
    mnuAutorecover->setCheckable(true);
    connect(mnuAutorecover, &QAction::triggered, this, &form1::mnuAutorecover_Click);
    connect(mnu_Setup, &QAction::triggered, this, &form1::mnu_Setup_Click);
    connect(mnuImportList, &QAction::triggered, this, &form1::mnuImportList_Click);
    connect(mnuExportList, &QAction::triggered, this, &form1::mnuExportList_Click);
    connect(mnuFadeNow, &QAction::triggered, this, &form1::FadeNow);
    connect(mnu_ID3, &QAction::triggered, this, &form1::mnu_ID3_Click);
    connect(mnu_multilist, &QAction::triggered, this, &form1::mnu_multilist_Click);
    connect(mnuQuickHelp, &QAction::triggered, this, &form1::mnuQuickHelp_Click);
    connect(mnuHelpGuide, &QAction::triggered, this, &form1::mnuHelpGuide_Click);
    connect(mnuLogOnline, &QAction::triggered, this, &form1::mnuLogOnline_Click);
    connect(mnuEmail, &QAction::triggered, this, &form1::mnuEmail_Click);
    connect(mnu_about, &QAction::triggered, this, &form1::mnu_about_Click);
}

bool form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtSearch && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        int KeyAscii = (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
                           ? 13
                           : (k->text().isEmpty() ? 0 : k->text().at(0).unicode());
        txtSearch_KeyPress(KeyAscii);
        return false;  // the key still reaches the box
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == lblD1) lblD1_MouseMove();
        if (watched == lblD2) lblD2_MouseMove();
    }
    return Form::eventFilter(watched, event);
}

void form1::lblD1_MouseMove() {
    lblD1->setToolTip(SongTip(1));
}
void form1::lblD2_MouseMove() {
    lblD2->setToolTip(SongTip(2));
}

namespace {
// Settings compare exactly; a Null column matches nothing.
bool Is(const QVariant& v, const char* text) {
    return !v.isNull() && v.toString() == QLatin1String(text);
}
}  // namespace

void form1::Form_Load() {
    using namespace Module1;
    // The remaining-time labels run from the start, even under the start-up prompts.
    Timer1->start();
    Timer2->start();

    CurrentDeck = 1;
    MP1->SetVolume(0);
    MP2->SetVolume(fade_.deck2AtOpen);
    Fader->setValue(0);

    StrSQL = QStringLiteral("SELECT * FROM settings");
    rsLibrary.Open(StrSQL, cnLibrary);
    if (rsLibrary.EOF_()) {
        // No settings row: keep the defaults and go straight to the library check.
        rsLibrary.Close();
    } else {
        if (Is(rsLibrary.Fields(QStringLiteral("autosave")), "YES")) {
            mnuAutorecover->setChecked(true);
            LoadAutoRecover();
            PlayOnStart();
        }
        const QVariant ext2 = rsLibrary.Fields(QStringLiteral("ext2"));
        if (!ext2.isNull() && !Is(ext2, "1")) {
            FirstRun = 1;
            StrSQL = QStringLiteral("Update settings set ext2='1'");
            cnLibrary.Execute(StrSQL);
        }
        if (Is(rsLibrary.Fields(QStringLiteral("ext1")), "YES")) {
            rsLibrary.Close();
            StrSQL = QStringLiteral("SELECT distinct(path) from songs");
            rsPaths.Open(StrSQL, cnLibrary);
            StartupRescan = 1;
            // The folders are read first, so no recordset stays open while the scans let events through.
            QStringList folders;
            const long count = rsPaths.RecordCount();
            for (long i = 0; i < count; ++i) {
                folders << rsPaths.Fields(QStringLiteral("path")).toString();
                rsPaths.MoveNext();
            }
            rsPaths.Close();
            ScanRun run;
            try {
                run = RescanRun(folders);
            } catch (const StoreError&) {
                run.folders = folders;  // the trees cannot be read: the folders as they are
            }
            ScanFolders(run);
            StartupRescan = 0;
            // Nothing of the rescan belongs on screen, the setup window included.
            Windows::Unload<frmSetup>();
        } else {
            rsLibrary.Close();
        }
    }

    StrSQL = QStringLiteral("SELECT * FROM songs");
    rsLibrary.Open(StrSQL, cnLibrary);
    // Whether there is a song at all: no need to count 200,000 of them.
    const bool haveSongs = !rsLibrary.EOF_();
    rsLibrary.Close();
    if (haveSongs) return;

    const Seams::Answer a = Seams::MsgBox(
        QStringLiteral("Velumix does not currently have any MP3/Music file Folders setup. Velumix must "
                       "know where your MP3 files are in order to function. Do you want to add a "
                       "directory now ?"),
        Seams::Buttons::YesNo, Seams::Icon::None, QStringLiteral("Add Music File Directory"));
    if (a == Seams::Answer::Yes) {
        // The setup window sees the flag during its own load and starts adding a folder.
        OpenSetupAfterStart = 1;
        Windows::Load<frmSetup>();
    } else {
        Seams::MsgBox(QStringLiteral("You must do this to allow Velumix to build its database. You can "
                                     "do this at anytime by clicking Tools and then Setup."),
                      Seams::Buttons::OK, Seams::Icon::None, QStringLiteral("Velumix Setup"));
    }
}

void form1::Form_Unload(int& Cancel) {
    (void)Cancel;
    autoRecover->WriteAtExit();
    history->StopAll();
    Windows::Unload<PlayHistoryWindow>();
    // The quick tour stays: it may still be showing a newcomer around.
    Windows::Unload<frmAbout>();
    Windows::Unload<formlist>();
    Windows::Unload<frmSetup>();
    Windows::Unload<id3search>();
    Windows::Unload<multilist>();
    Windows::Unload<frmSoundOutput>();
    Windows::Unload<frmBroadcast>();
    Windows::Unload<frmPreListen>();
    Windows::Unload<ManualViewer>();
}
