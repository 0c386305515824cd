// The main window's menus: the literal tree, the windows and pages each item
// opens (and their unloading with the main window), and the first-start tour. What the pop-ups' marks make
// the lists do is the cue and search tests' concern.
#include <QApplication>
#include <algorithm>

#include "app/decks/SoundOptions.h"
#include "support/CueFixture.h"
#include "windows/ManualViewer.h"
#include "windows/formlist.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/frmSoundOutput.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

using Menus = CueTest;

// One line per menu: each item's caption, its shortcut after a tab, [x] or [ ]
// when it ticks, and "-" for a separator.
TEST_F(Menus, TheTreeAsTheUserSeesItAndWhatItsTickItemsDo) {
    QList<QMenu*> menus;
    for (QAction* a : f->menuBar->actions()) menus << a->menu();
    QStringList tree;
    for (QMenu* m : menus << f->mnurightclicklist << f->mnuSendSelected) {
        QStringList items;
        for (QAction* a : m->actions()) {
            QString item = a->isSeparator() ? "-" : a->text();
            if (!a->shortcut().isEmpty()) item += "\t" + a->shortcut().toString();
            if (a->isCheckable()) item += a->isChecked() ? " [x]" : " [ ]";
            items << item;
        }
        tree << m->title() + ": " + items.join(" | ");
    }
    EXPECT_EQ(
        tree,
        (QStringList{
            "&File: &Open Single\tCtrl+O | Open &List | &Save List\tCtrl+S | - | E&xit | - | "
            "&Import Play List... | &Export Play List... | Export With &Relative Paths [ ]",
            "&Tools: &Auto Recover [ ] | &Setup | Fade &Now\tCtrl+N | Sound Output... | Broadcast... | - | "
            "More Audio Types [x] | Read All Tag Formats [x] | Search Tags Too [x] | Show Tag Columns [x] | "
            "Include Subfolders [ ] | Watch Folders [ ] | - | Smooth Fades [x] | Skip Silence [ ] | Level "
            "Loudness [ ] | - | "
            "Play &History | Keep Playing [ ] | Play On Start [ ] | Start At Login [ ]",
            "Sea&rch: ID3 &Tag Search | &Multilist Viewer",
            "&Help: &Quick Help | &Help Guide | &Log problem online | "
            "&Email Velumix Project (support@velumix.example.org) | &About...",
            "rightclicklist: Delete Selected [ ] | Pre-listen\tCtrl+P",
            "SendSelected: Add Selected [ ] | Pre-listen\tCtrl+P",
        }))
        << tree.join("\n").toStdString();
    // The option items tick options kept per user.
    for (QAction* a : f->mnu_Tools->actions())
        if (a->text() == SoundOptions::kLevelLoudness.caption) a->trigger();
    EXPECT_TRUE(Options::Get(SoundOptions::kLevelLoudness));
    // A pop-up's item only sets its mark; the list that showed it acts on it.
    fill(f->lstPlaylist, {"one.mp3"});
    select(f->lstPlaylist, {1});
    f->mnuDeleteSelected->trigger();
    EXPECT_EQ(cue(), QStringList{"one.mp3"});
}

TEST_F(Menus, EachItemOpensItsOneWindowOrItsDesktopTargetAndClosingUnloadsThem) {
    const std::pair<QAction*, Form* (*)()> items[] = {
        {f->mnu_Setup, []() -> Form* { return Windows::Find<frmSetup>(); }},
        {f->mnu_ID3, []() -> Form* { return Windows::Find<id3search>(); }},
        {f->mnu_multilist, []() -> Form* { return Windows::Find<multilist>(); }},
        {f->mnu_about, []() -> Form* { return Windows::Find<frmAbout>(); }},
        {f->mnuSoundOutput, []() -> Form* { return Windows::Find<frmSoundOutput>(); }}};
    for (const auto& [item, find] : items) {
        SCOPED_TRACE(item->text().toStdString());
        item->trigger();
        EXPECT_TRUE(find() && find()->isVisible() && find()->windowModality() == Qt::NonModal);
    }
    // About names the revision (the version's third component, without leading
    // zeros) and links to the makers' page.
    frmAbout* a = Windows::Find<frmAbout>();
    EXPECT_EQ(a->Label1->text(),
              "Version:  " + QString::number(QString(VELUMIX_VERSION).section('.', 2, 2).toInt()));
    a->Label2_Click();
    a->cmdOk->click();
    EXPECT_FALSE(Windows::IsLoaded<frmAbout>());
    // The help items hand their targets to the desktop too, and whether or not
    // the manual is there, nothing is said.
    for (QAction* item : {f->mnuHelpGuide, f->mnuLogOnline, f->mnuEmail}) item->trigger();
    EXPECT_EQ(app.ui.opened,
              (QList<QUrl>{QUrl("https://velumix.example.org"),
                           QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/webmanual/vlm.htm"),
                           QUrl("https://velumix.example.org/problems"),
                           QUrl("mailto:support@velumix.example.org")}));
    EXPECT_TRUE(app.ui.messages.isEmpty());
    // A desktop that cannot show the manual: the program's own viewer does.
    app.ui.desktopOpens = false;
    f->mnuHelpGuide->trigger();
    const ManualViewer* v = Windows::Find<ManualViewer>();
    ASSERT_TRUE(v && v->isVisible() && v->browser->source() == app.ui.opened.last());
    EXPECT_TRUE(v->browser->toPlainText().contains("Velumix"));
    // Closing the main window unloads every window but the tour; the process lives on with it.
    f->mnu_about->trigger();
    Windows::Load<formlist>();
    Windows::Show<wizard>();
    static int lastUnloaded;
    lastUnloaded = 0;
    Windows::setOnLastUnloaded([] { ++lastUnloaded; });
    EXPECT_TRUE(f->close());
    EXPECT_EQ(Windows::loadedCount(), 1);
    EXPECT_TRUE(Windows::IsLoaded<wizard>());
    EXPECT_EQ(lastUnloaded, 0);
    EXPECT_TRUE(Windows::Find<wizard>()->close());
    EXPECT_EQ(lastUnloaded, 1);
}

// From Quick Help the tour opens modal beside the search side, its second page
// stands over the play list, and closing it releases the main window.
TEST_F(Menus, TheTourWalksBothPagesModalOrAfterTheFirstSetupModeless) {
    f->Move(3000, 1500);
    // Its left edge and top against the main window's (twips, on the pixel
    // grid), the labels shown on each side, and the buttons and notice shown.
    auto page = [this](const wizard& w) {
        auto shown = [](const auto& ls) { return int(std::ranges::count(ls, false, &QWidget::isHidden)); };
        return QString::asprintf("%d,%d %d/%d%s%s%s", w.Left() - f->Left(), w.Top() - f->Top(),
                                 shown(w.lblLeft), shown(w.lblright), w.cmdNext->isHidden() ? "" : " next",
                                 w.cmdClose->isHidden() ? "" : " close",
                                 w.lblwiz[1]->isHidden() ? "" : " notice")
            .toStdString();
    };
    f->mnuQuickHelp_Click();
    wizard* w = Windows::Find<wizard>();
    EXPECT_EQ(QApplication::activeModalWidget(), w);
    EXPECT_EQ(page(*w), "5595,0 4/0 next");
    EXPECT_TRUE(w->lblwiz[0]->text().contains("through Tools->Setup.Use this side"));
    EXPECT_TRUE(w->lblwiz[0]->text().endsWith("top of your play list. "));
    const QPoint nextAt = w->cmdNext->pos();
    w->cmdNext->click();
    EXPECT_EQ(page(*w), "195,0 0/4 close notice");
    EXPECT_TRUE(w->lblwiz[0]->text().startsWith("This side of Velumix is your play list."));
    EXPECT_EQ(w->lblwiz[1]->text(), "YOU MUST CLICK \"PLAY COMPILED LIST\" TO BEGIN PLAYING MUSIC");
    EXPECT_EQ(w->cmdClose->pos(), nextAt);
    w->cmdClose->click();
    EXPECT_FALSE(Windows::IsLoaded<wizard>());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // On a first start every closing of the setup window opens the tour, beside
    // it rather than over the main window; later starts close it quietly. Quick
    // Help while that modeless tour shows brings it forward at the page reached.
    QList<bool> toured;
    for (int firstRun : {1, 1, 0}) {
        Module1::FirstRun = firstRun;
        Windows::Show<frmSetup>();
        Windows::Unload<frmSetup>();
        w = Windows::Find<wizard>();
        toured << bool(w);
        if (!w) continue;
        w->cmdNext_Click();
        f->mnuQuickHelp->trigger();
        EXPECT_EQ(Windows::Find<wizard>(), w);
        EXPECT_EQ(w->windowModality(), Qt::NonModal);
        EXPECT_TRUE(w->cmdNext->isHidden());
        w->cmdClose_Click();
    }
    EXPECT_EQ(toured, QList<bool>({true, true, false}));
}
