#include <QApplication>
#include <functional>

#include "MenuFixture.h"
#include "app/Module1.h"
#include "app/decks/SoundOptions.h"
#include "windows/frmAbout.h"
#include "windows/frmSetup.h"
#include "windows/id3search.h"
#include "windows/multilist.h"
#include "windows/wizard.h"

namespace {

template <class T>
Form* find() {
    return Windows::Find<T>();
}

using MenuWindows = MenuFixture;

TEST_F(MenuWindows, EachItemOpensItsOneWindowModelessAndASecondChoiceBringsTheSameForward) {
    const struct {
        QAction* form1::*item;
        Form* (*find)();
    } items[] = {{&form1::mnu_Setup, find<frmSetup>},
                 {&form1::mnu_ID3, find<id3search>},
                 {&form1::mnu_multilist, find<multilist>},
                 {&form1::mnu_about, find<frmAbout>}};
    for (const auto& it : items) {
        SCOPED_TRACE((main.*it.item)->text().toStdString());
        (main.*it.item)->trigger();
        Form* first = it.find();
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(first->isVisible());
        EXPECT_EQ(first->windowModality(), Qt::NonModal);
        const int loaded = Windows::loadedCount();
        (main.*it.item)->trigger();
        EXPECT_EQ(it.find(), first);
        EXPECT_EQ(Windows::loadedCount(), loaded);
    }
}

TEST_F(MenuWindows, QuickHelpWhileAModelessTourShowsBringsThatTourForward) {
    wizard& shown = Windows::Show<wizard>();
    shown.cmdNext_Click();
    main.mnuQuickHelp->trigger();
    EXPECT_EQ(Windows::Find<wizard>(), &shown);
    EXPECT_EQ(shown.windowModality(), Qt::NonModal);
    EXPECT_TRUE(shown.cmdNext->isHidden());  // still the page the user reached
}

TEST_F(MenuWindows, ExitUnloadsTheMainWindow) {
    main.mnu_exit->trigger();
    EXPECT_FALSE(Windows::IsLoaded<form1>());
}

TEST_F(MenuFixture, HelpItemsHandTheirTargetsToTheDesktopAndSayNothing) {
    // This application folder has no manual: still no message.
    main.mnuHelpGuide->trigger();
    main.mnuLogOnline->trigger();
    main.mnuEmail->trigger();
    EXPECT_EQ(app.ui.opened, (QList<QUrl>{QUrl::fromLocalFile(app.path() + "/webmanual/vlm.htm"),
                                          QUrl("https://velumix.example.org/problems"),
                                          QUrl("mailto:support@velumix.example.org")}));
    EXPECT_TRUE(app.ui.messages.isEmpty());
}

// The pop-ups only record the choice; the list that showed them acts on it.
TEST_F(MenuFixture, PopUpItemsOnlySetTheirMark) {
    for (ListView* list : {main.lstPlaylist, main.lstresults}) {
        list->AddRows({{"1", "one.mp3", "/m/"}, {"1", "two.mp3", "/m/"}});
        list->SetSelected(1, true);
    }
    for (QAction* item : {main.mnuDeleteSelected, main.mnuAddSelected}) {
        SCOPED_TRACE(item->text().toStdString());
        item->setChecked(false);
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(main.lstPlaylist->Count(), 2);
        EXPECT_EQ(main.lstresults->Count(), 2);
    }
    EXPECT_FALSE(QFile::exists(Module1::AutoRecoverFile()));
}

}  // namespace

TEST_F(MenuFixture, SoundOptionsFollowTheToolsItemsAsTicksKeptPerUser) {
    const QList<QAction*> items = main.mnu_Tools->actions();
    ASSERT_GE(items.size(), 6);
    EXPECT_TRUE(items[items.size() - 4]->isSeparator());
    const Options::Flag* flags[] = {&SoundOptions::kSmoothFades, &SoundOptions::kSkipSilence,
                                    &SoundOptions::kLevelLoudness};
    for (int i = 0; i < 3; ++i) {
        QAction* item = items[items.size() - 3 + i];
        EXPECT_EQ(item->text(), QString::fromUtf8(flags[i]->caption));
        EXPECT_TRUE(item->isCheckable());
        EXPECT_EQ(item->isChecked(), i == 0) << "only Smooth Fades is on at first";
        item->trigger();
        EXPECT_EQ(Options::Get(*flags[i]), i != 0);
        item->trigger();
    }
}
