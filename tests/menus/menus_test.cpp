// The main window's menus: the literal tree, the windows and pages each item
// opens, and the first-start tour.
#include <QApplication>
#include <algorithm>

#include "app/decks/SoundOptions.h"
#include "layout/Twips.h"
#include "support/CueFixture.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

namespace {

using Menus = CueTest;

// One line per menu: each item's caption, its shortcut after a tab, [x] or [ ]
// when it ticks, and "-" for a separator.
QStringList menuTree(const form1& f) {
    QList<QMenu*> menus;
    for (QAction* a : f.menuBar->actions()) menus << a->menu();
    menus << f.mnurightclicklist << f.mnuSendSelected;
    QStringList out;
    for (QMenu* m : menus) {
        QStringList items;
        for (QAction* a : m->actions()) {
            QString item = a->isSeparator() ? "-" : a->text();
            if (!a->shortcut().isEmpty()) item += "\t" + a->shortcut().toString();
            if (a->isCheckable()) item += a->isChecked() ? " [x]" : " [ ]";
            items << item;
        }
        out << m->title() + ": " + items.join(" | ");
    }
    return out;
}

TEST_F(Menus, TheTreeAsTheUserSeesIt) {
    const QStringList tree = menuTree(*f);
    EXPECT_EQ(tree,
              (QStringList{
                  "&File: &Open Single\tCtrl+O | Open &List | &Save List\tCtrl+S | - | E&xit | - | &Import "
                  "Play List... | "
                  "&Export Play List... | Export With &Relative Paths [ ]",
                  "&Tools: &Auto Recover [ ] | &Setup | Fade &Now\tCtrl+N | - | More Audio Types [x] | "
                  "Read All Tag Formats [x] | - | Smooth Fades [x] | Skip Silence [ ] | Level Loudness [ ]",
                  "Sea&rch: ID3 &Tag Search | &Multilist Viewer",
                  "&Help: &Quick Help | &Help Guide | &Log problem online | "
                  "&Email Velumix Project (support@velumix.example.org) | &About...",
                  "rightclicklist: Delete Selected [ ]",
                  "SendSelected: Add Selected [ ]",
              }))
        << tree.join("\n").toStdString();
    // The option items tick options kept per user.
    f->mnu_Tools->actions().last()->trigger();
    EXPECT_TRUE(Options::Get(SoundOptions::kLevelLoudness));
}

TEST_F(Menus, EachItemOpensItsOneWindowModelessAndASecondChoiceBringsTheSameForward) {
    const std::pair<QAction*, Form* (*)()> items[] = {
        {f->mnu_Setup, []() -> Form* { return Windows::Find<frmSetup>(); }},
        {f->mnu_ID3, []() -> Form* { return Windows::Find<id3search>(); }},
        {f->mnu_multilist, []() -> Form* { return Windows::Find<multilist>(); }},
        {f->mnu_about, []() -> Form* { return Windows::Find<frmAbout>(); }}};
    for (const auto& [item, find] : items) {
        SCOPED_TRACE(item->text().toStdString());
        item->trigger();
        Form* first = find();
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(first->isVisible());
        EXPECT_EQ(first->windowModality(), Qt::NonModal);
        const int loaded = Windows::loadedCount();
        item->trigger();
        EXPECT_EQ(find(), first);
        EXPECT_EQ(Windows::loadedCount(), loaded);
    }
    // About names the revision (the version's third component, without leading
    // zeros) once however often it opens, and links to the makers' page.
    const QString revision = QString::number(QString(VELUMIX_VERSION).section('.', 2, 2).toInt());
    for (int round = 0; round < 2; ++round) {
        frmAbout* a = Windows::Find<frmAbout>();
        EXPECT_EQ(a->Label1->text(), "Version:  " + revision);
        a->Label2_Click();
        a->cmdOk->click();
        EXPECT_FALSE(Windows::IsLoaded<frmAbout>());
        Windows::flushDeleted();
        f->mnu_about_Click();
    }
    EXPECT_EQ(app.ui.opened, QList<QUrl>(2, QUrl("https://velumix.example.org")));
}

TEST_F(Menus, QuickHelpWhileAModelessTourShowsBringsThatTourForward) {
    wizard& shown = Windows::Show<wizard>();
    shown.cmdNext_Click();
    f->mnuQuickHelp->trigger();
    EXPECT_EQ(Windows::Find<wizard>(), &shown);
    EXPECT_EQ(shown.windowModality(), Qt::NonModal);
    EXPECT_TRUE(shown.cmdNext->isHidden());  // still the page the user reached
}

// Whether or not the manual is there, nothing is said.
TEST_F(Menus, HelpItemsHandTheirTargetsToTheDesktopAndSayNothing) {
    f->mnuHelpGuide->trigger();
    f->mnuLogOnline->trigger();
    f->mnuEmail->trigger();
    EXPECT_EQ(app.ui.opened,
              (QList<QUrl>{QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/webmanual/vlm.htm"),
                           QUrl("https://velumix.example.org/problems"),
                           QUrl("mailto:support@velumix.example.org")}));
    EXPECT_TRUE(app.ui.messages.isEmpty());
}

// The pop-ups only record the choice; the list that showed them acts on it.
TEST_F(Menus, PopUpItemsOnlySetTheirMark) {
    fill(f->lstPlaylist, {"one.mp3", "two.mp3"});
    fill(f->lstresults, {"one.mp3", "two.mp3"});
    select(f->lstPlaylist, {1});
    select(f->lstresults, {1});
    for (QAction* item : {f->mnuDeleteSelected, f->mnuAddSelected}) {
        SCOPED_TRACE(item->text().toStdString());
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(cue(), names(f->lstresults));
        EXPECT_EQ(cue().size(), 2);
    }
    EXPECT_FALSE(QFile::exists(Module1::AutoRecoverFile()));
}

// The tour opens modal beside the search side, its second page stands over the
// play list, and closing it releases the main window; the next tour starts afresh.
TEST_F(Menus, TheTourWalksBothPagesAndStartsAgainAtPageOne) {
    f->Move(3000, 1500);
    // Its left edge and top against the main window's (twips, on the pixel
    // grid), the labels shown on each side, and the buttons and notice shown.
    auto page = [this](const wizard& w) {
        auto shown = [](const QVector<QLabel*>& labels) {
            return std::count_if(labels.begin(), labels.end(), [](QLabel* l) { return !l->isHidden(); });
        };
        return (QString("%1,%2 %3/%4")
                    .arg(w.Left() - f->Left())
                    .arg(w.Top() - f->Top())
                    .arg(shown(w.lblLeft))
                    .arg(shown(w.lblright)) +
                (w.cmdNext->isHidden() ? "" : " next") + (w.cmdClose->isHidden() ? "" : " close") +
                (w.lblwiz[1]->isHidden() ? "" : " notice"))
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
    Windows::flushDeleted();
    f->mnuQuickHelp_Click();
    EXPECT_EQ(page(*Windows::Find<wizard>()), "5595,0 4/0 next");
}

// On a first start (marker "0") every closing of the setup window opens the
// tour, beside it rather than over the main window; later starts close it quietly.
TEST(FirstStart, ClosingTheSetupWindowOpensTheTourOnlyOnAFirstStart) {
    for (const auto& [marker, tours] : {std::pair{"0", 2}, std::pair{"1", 0}}) {
        TempApp app;
        app.addSong("a.mp3", "/m/");
        app.exec(QString("Update settings set ext2='%1'").arg(marker));
        Windows::Show<form1>();
        EXPECT_EQ(app.scalar("SELECT ext2 FROM settings"), "1");
        int seen = 0;
        for (int round = 0; round < 2; ++round) {
            Windows::Show<frmSetup>();
            Windows::Unload<frmSetup>();
            if (wizard* w = Windows::Find<wizard>()) {
                ++seen;
                EXPECT_EQ(w->windowModality(), Qt::NonModal);
                w->cmdClose_Click();
            }
        }
        EXPECT_EQ(seen, tours) << marker;
    }
}

}  // namespace
