#pragma once
// The main window: the search side (left), the cue (right), the two decks
// with the cross-fader (below), and the menu. Handlers are defined in one
// source file per area: form1.cpp (layout, load, unload), form1_cue.cpp,
// form1_files.cpp, form1_search.cpp, form1_decks.cpp, form1_fade.cpp and
// form1_menus.cpp.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "app/AutoRecoverMirror.h"
#include "app/CommonDialog.h"
#include "app/CueTime.h"
#include "app/TagColumns.h"
#include "library/SongSearch.h"
#include "app/HistoryRecorder.h"
#include "app/KeepPlaying.h"
#include "app/decks/CrossFade.h"
#include "app/ListView.h"
#include "app/Options.h"
#include "app/Windows.h"
#include "app/decks/DeckControl.h"

// Exported play lists name their songs relative to the list's folder.
inline constexpr Options::Flag kExportRelative{"playlists/exportRelative", "Export With &Relative Paths",
                                               false};

class SoundOutputs;

class form1 : public Form {
    Q_OBJECT
  public:
    form1();
    ~form1() override;

    // --- controls -------------------------------------------------------
    QWidget* client;  // the designed client area, below the menu bar

    // search side
    QLabel* Label5;
    QLineEdit* txtSearch;
    QPushButton* Command1;  // "&GO!"
    ListView* lstresults;
    QLabel* lblTotalsongs;
    QLabel* Label1;
    QPushButton* cmdFirst;      // "Se&nd To Top of Playlist"
    QPushButton* Command7;      // "&Add All From Search"
    QPushButton* Command4;      // "Clear &Search"
    QPushButton* cmdShowSongs;  // "S&how All Songs"

    // the cue
    QLabel* Label4;
    QPushButton* Command3;  // "&Clearlist"
    ListView* lstPlaylist;
    QLabel* lblPlaySongs;
    QLabel* lblCueTime;  // beyond the design: the cue's total time and when it runs out
    CueTime cueTime_;    // reads the cue's lengths in the background
    TagColumns tagColumns_{cueTime_};
    SongSearch songSearch_;  // the search by tags too, over the library's text in memory
    QPushButton* cmdUP;
    QPushButton* cmdDown;
    QLabel* Label6;
    QPushButton* cmdPlayNow;  // "&Move to Top"
    QPushButton* cmdCS;       // "C&lear Selection"
    QPushButton* cmdSave;     // "&Save List"
    QPushButton* cmdOpen;     // "&Open List"
    CommonDialog CommonDialog1;
    // Beyond the design: the auto-recover file follows every change of the cue.
    AutoRecoverMirror* autoRecover = nullptr;
    HistoryRecorder* history = nullptr;  // beyond the design: what was played
    KeepPlaying::Picker keepPlaying;     // and what plays when the cue runs out
    // At start-up, a cue brought back starts playing at once (with Play On Start).
    void PlayOnStart();

    // the decks
    QPushButton* Command2;  // "&Play Compiled List"
    QLabel* Label2;
    QLabel* Label3;
    QLabel* lblt1;
    QLabel* lblt2;
    DeckControl* MP1;
    DeckControl* MP2;
    QCheckBox* chkAutoFade;
    QLabel* lblD1;
    QLabel* lblD2;
    QLabel* lbldisplay;
    // Over the decks' titles while the decks play into no sound device.
    QLabel* lblNoSound;
    QPushButton* cmdLD1;
    QPushButton* Command5;  // "<"
    QSlider* Fader;
    QPushButton* Command6;  // ">"
    QPushButton* cmdLD2;
    QTimer* Timer1;
    QTimer* Timer2;
    QTimer* T1;
    QTimer* T2;

    // menus
    QMenuBar* menuBar;
    QMenu* mnu_File;
    QAction* mnuOpen;
    QAction* mnuOpenList;
    QAction* mnuSave;
    QAction* mnuSep;
    QAction* mnu_exit;
    QAction* mnuImportList;  // beyond the designed menu: other players' lists
    QAction* mnuExportList;
    QAction* mnuExportRelative;
    QMenu* mnu_Tools;
    QAction* mnuAutorecover;
    QAction* mnu_Setup;
    QAction* mnuFadeNow;                // beyond the designed menu: "Fade &Now"
    QAction* mnuSoundOutput;            // beyond the designed menu: the output devices
    QAction* mnuBroadcast;              // beyond the designed menu: the mix to an Icecast server
    QAction* mnuPlayHistory = nullptr;  // beyond the designed menu, as are the items after it
    QAction* mnuStartAtLogin = nullptr;
    QAction* mnuPreListenCue;      // "Pre-listen" in the cue's pop-up and its shortcut
    QAction* mnuPreListenResults;  // the same for the search results
    QMenu* mnuSearch;
    QAction* mnu_ID3;
    QAction* mnu_multilist;
    QMenu* mnu_help;
    QAction* mnuQuickHelp;
    QAction* mnuHelpGuide;
    QAction* mnuLogOnline;
    QAction* mnuEmail;
    QAction* mnu_about;
    QMenu* mnurightclicklist;  // pop-up of the cue, never on the menu bar
    QAction* mnuDeleteSelected;
    QMenu* mnuSendSelected;  // pop-up of the search results, never on the menu bar
    QAction* mnuAddSelected;

    // --- start-up and lifecycle (form1.cpp) ----------------------------
    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void lblD1_MouseMove();
    void lblD2_MouseMove();

    // --- deck playback (form1_decks.cpp) -------------------------------
    void playsong(const QString& name, const QString& file);
    void Command2_Click();
    void cmdLD1_Click();
    void cmdLD2_Click();
    void MP1_EndOfStream();
    void Timer1_Timer();
    void Timer2_Timer();

    // --- cross-fade (form1_fade.cpp) -------------------------------------
    void chkAutoFade_Click();
    void T1_Timer();
    void T2_Timer();
    void Fader_Click();
    void Command5_Click();
    void Command6_Click();
    void MP1_PlayStateChange(int OldState, int NewState);
    void MP2_PlayStateChange(int OldState, int NewState);
    // Starts the transition to the next song at once, as if the live deck had
    // just reached its last seconds; switches the engine on first when off.
    // Does nothing while a fade is under way or nothing plays on the live deck.
    void FadeNow();
    // The numbers every fade runs on, and the watchers' interval with them.
    const CrossFade::Params& Fade() const { return fade_; }
    void SetFade(const CrossFade::Params& p);

    // --- cue editing (form1_cue.cpp) -----------------------------------
    void cmdUP_Click();
    void cmdDown_Click();
    void lstPlaylist_DblClick();
    void lstPlaylist_Click();
    void lstPlaylist_MouseDown(int Button, int Shift, int X, int Y);
    void mnuDeleteSelected_Click();
    void cmdPlayNow_Click();
    void cmdCS_Click();
    void Command3_Click();
    void cmdFirst_Click();
    void Command7_Click();

    // --- list files and auto-recover (form1_files.cpp) -----------------
    void cmdSave_Click();
    void cmdOpen_Click();
    void mnuSave_Click();
    void mnuOpenList_Click();
    void mnuOpen_Click();
    void mnuAutorecover_Click();
    // Play lists of other players (M3U, M3U8, PLS, XSPF): import appends to
    // the cue, export writes it; the open list dialog also takes them by type.
    void mnuImportList_Click();
    void mnuExportList_Click();
    // Appends the songs of a play list file; with replace, they replace the cue.
    void ImportList(const QString& file, bool replace);
    // What was dropped on the cue above its 1-based row `before` (0 = at the end).
    void CueDrop(const QMimeData* mime, int before);

    // --- song search (form1_search.cpp) --------------------------------
    void Command1_Click();
    // The search statements for the trimmed text, run in turn: the file-name
    // search, and with tagsToo the songs only their title, artist or album finds.
    static QStringList SearchStatements(const QString& text, bool tagsToo);
    // Shows or hides the tag columns of the results and the cue, as the option says.
    void ApplyTagColumns();
    void txtSearch_KeyPress(int& KeyAscii);
    void cmdShowSongs_Click();
    void Command4_Click();
    void lstresults_Click();
    void lstresults_MouseMove(int Button, int Shift, int X, int Y);
    void lstresults_DblClick();
    void lstresults_MouseDown(int Button, int Shift, int X, int Y);
    void mnuAddSelected_Click();

    // --- menus (form1_menus.cpp) ---------------------------------------
    void mnu_Setup_Click();
    void mnu_ID3_Click();
    void mnu_multilist_Click();
    void mnu_about_Click();
    void mnuQuickHelp_Click();
    void mnu_exit_Click();
    void mnuHelpGuide_Click();
    void mnuLogOnline_Click();
    void mnuEmail_Click();
    void mnuSoundOutput_Click();
    void mnuBroadcast_Click();
    // "&Email" with the maker's name and support address.
    static QString EmailCaption();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // decks and cross-fade (form1_decks.cpp, form1_fade.cpp)
    bool TakeNextSong(QString& name, QString& file);
    bool OpenNextSong(int deck);
    bool PlaySong(const QString& name, const QString& file);
    void LoadByHand(int deck);
    bool StartNextSong(int deck);
    void LiveDeckEnded(int deck);
    // The song label's tooltip: its caption, then why songs were passed over to reach it.
    QString SongTip(int deck) const;
    void FadeTick(int watched);
    void MoveFader(int value);
    DeckControl* Deck(int n) const { return n == 1 ? MP1 : MP2; }
    // sound outputs and pre-listen (form1_sound.cpp)
    void WireSound();
    void WireBroadcast();
    void ShowNotice(const QString& text);
    SoundOutputs* soundOutputs_ = nullptr;  // null when the decks are not the engine's
    // drag and drop (form1_drop.cpp)
    void WireDrops();
    // the unattended show: auto-recover, play history, keep playing (form1_unattended.cpp)
    void WireUnattended();
    QVector<CueSong> SongOnAir() const;
    // With the cue running out under the auto fade, a song from the library joins it.
    void KeepCueGoing(const CueSong& onAir);
    // the cue's playing time (form1_cuetime.cpp)
    void WireCueTime();
    void CueChanged();
    void ShowCueTime();
    CueTime::Total cueTotal_;
    QTimer* cueTimeSum_;      // gathers a burst of cue changes into one sum
    QTimer* cueTimeClock_;    // moves the run-out time on as the live song plays
    int fadeNowDeck_ = 0;     // the deck being faded out on demand, until its hand-over
    QStringList skipped_[3];  // by deck: why the songs skipped on the way to its song did not open
    bool handLoad_ = false;   // a load button is putting a song on a deck
    CrossFade::Params fade_;

    void BuildSearchSide();
    void BuildCueSide();
    void BuildDecks();
    void BuildMenus();
    void Wire();
};
