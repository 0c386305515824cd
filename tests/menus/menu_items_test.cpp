#include <gtest/gtest.h>

#include <QDir>
#include <functional>

#include "app/Module1.h"
#include "app/form1.h"
#include "support/TempApp.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

namespace {

// A library with a song, so start-up asks nothing and opens no other window.
form1& StartWithOneSong(TempApp& app) {
    app.addSong("a.mp3", app.path() + "/");
    return Windows::Show<form1>();
}

struct MenuFixture : ::testing::Test {
    TempApp app;
    form1& main = StartWithOneSong(app);
};

// Which window an item opens, and how to find that window afterwards.
struct WindowItem {
    const char* name;
    QAction* form1::*item;
    std::function<Form*()> find;
};

template <class T>
std::function<Form*()> finder() {
    return [] { return static_cast<Form*>(Windows::Find<T>()); };
}

using MenuWindows = MenuFixture;

TEST_F(MenuWindows, EachItemOpensItsOneWindowModelessAndASecondChoiceBringsTheSameForward) {
    const WindowItem items[] = {
        {"setup", &form1::mnu_Setup, finder<frmSetup>()},
        {"tag search", &form1::mnu_ID3, finder<id3search>()},
        {"multilist", &form1::mnu_multilist, finder<multilist>()},
        {"about", &form1::mnu_about, finder<frmAbout>()},
    };
    for (const WindowItem& it : items) {
        SCOPED_TRACE(it.name);
        ASSERT_EQ(it.find(), nullptr);
        (main.*it.item)->trigger();
        Form* first = it.find();
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(first->isVisible());
        EXPECT_EQ(first->windowModality(), Qt::NonModal);
        EXPECT_TRUE(main.isEnabled());

        const int loaded = Windows::loadedCount();
        (main.*it.item)->trigger();
        EXPECT_EQ(it.find(), first);
        EXPECT_EQ(Windows::loadedCount(), loaded);
    }
}

TEST_F(MenuWindows, ClosedWindowComesBackAsANewInstance) {
    main.mnu_multilist->trigger();
    Windows::Unload<multilist>();
    Windows::flushDeleted();
    main.mnu_multilist->trigger();
    ASSERT_NE(Windows::Find<multilist>(), nullptr);
    EXPECT_TRUE(Windows::Find<multilist>()->isVisible());
}

TEST_F(MenuWindows, QuickHelpOpensTheTourModal) {
    main.mnuQuickHelp->trigger();
    wizard* tour = Windows::Find<wizard>();
    ASSERT_NE(tour, nullptr);
    EXPECT_TRUE(tour->isVisible());
    EXPECT_EQ(tour->windowModality(), Qt::ApplicationModal);
}

TEST_F(MenuWindows, QuickHelpWhileAModelessTourShowsBringsThatTourForward) {
    wizard& shown = Windows::Show<wizard>();
    shown.cmdNext_Click();
    main.mnuQuickHelp->trigger();
    EXPECT_EQ(Windows::Find<wizard>(), &shown);
    EXPECT_EQ(shown.windowModality(), Qt::NonModal);
    // Still the page the user had reached, not a new tour.
    EXPECT_TRUE(shown.cmdNext->isHidden());
}

TEST_F(MenuWindows, ExitUnloadsTheMainWindow) {
    main.mnu_exit->trigger();
    EXPECT_FALSE(Windows::IsLoaded<form1>());
}

using HelpItems = MenuFixture;

TEST_F(HelpItems, EachHandsItsTargetToTheDesktopAndSaysNothing) {
    const struct {
        QAction* form1::*item;
        QUrl target;
    } cases[] = {
        {&form1::mnuHelpGuide, QUrl::fromLocalFile(app.path() + "/webmanual/vlm.htm")},
        {&form1::mnuLogOnline, QUrl("https://velumix.example.org/problems")},
        {&form1::mnuEmail, QUrl("mailto:support@velumix.example.org")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toString().toStdString());
        app.ui.opened.clear();
        (main.*c.item)->trigger();
        ASSERT_EQ(app.ui.opened.size(), 1);
        EXPECT_EQ(app.ui.opened[0], c.target);
    }
    // No manual in this application folder: still no message.
    EXPECT_FALSE(QFile::exists(app.path() + "/webmanual/vlm.htm"));
    EXPECT_TRUE(app.ui.messages.isEmpty());
    EXPECT_EQ(Windows::loadedCount(), 1);
}

TEST_F(HelpItems, EmailCaptionNamesTheMakerAndTheAddress) {
    EXPECT_EQ(main.mnuEmail->text(), "&Email Velumix Project (support@velumix.example.org)");
}

// The pop-ups only record the choice; the list that showed them acts on it.
TEST_F(MenuFixture, PopUpItemsOnlySetTheirMark) {
    for (int i = 1; i <= 2; ++i) {
        main.lstPlaylist->Add(i, "1");
        main.lstPlaylist->SetSubItem(i, 1, QString("cue%1.mp3").arg(i));
        main.lstresults->Add(i, "1");
        main.lstresults->SetSubItem(i, 1, QString("found%1.mp3").arg(i));
    }
    main.lstPlaylist->SetSelected(1, true);
    main.lstresults->SetSelected(1, true);
    for (QAction* item : {main.mnuDeleteSelected, main.mnuAddSelected}) {
        SCOPED_TRACE(item->text().toStdString());
        item->setChecked(false);
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(main.lstPlaylist->Count(), 2);
        EXPECT_EQ(main.lstresults->Count(), 2);
        EXPECT_TRUE(app.ui.messages.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(Module1::AutoRecoverFile()));
}

}  // namespace
