#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/Module1.h"
#include "support/TempApp.h"
#include "windows/frmSetup.h"
#include "windows/wizard.h"

using Seams::Answer;
using Seams::Buttons;

namespace {

struct Setup : ::testing::Test {
    TempApp app;
    QTemporaryDir music;

    // A folder on disk holding the given files; returned as the library spells it.
    QString folder(const QString& name, const QStringList& files) const {
        const QString path = music.path() + "/" + name;
        QDir().mkpath(path);
        for (const QString& f : files) QFile(path + "/" + f).open(QIODevice::WriteOnly);
        return path + "/";
    }
    static frmSetup& window() { return Windows::Load<frmSetup>(); }
    static QStringList listed() {
        QStringList out;
        for (int i = 1; i <= window().lstPaths->Count(); ++i)
            out << window().lstPaths->SubItem(i, 1) + "=" + window().lstPaths->SubItem(i, 2);
        return out;
    }
    void expectMessage(int index, const QString& text, Buttons buttons, const QString& title) const {
        ASSERT_GT(app.ui.messages.size(), index);
        EXPECT_EQ(app.ui.messages[index].text, text);
        EXPECT_EQ(app.ui.messages[index].buttons, buttons);
        EXPECT_EQ(app.ui.messages[index].title, title);
    }
};

const char* const kTagHint = "Updating ID3 Tag informtation will take a few extra seconds";

}  // namespace

TEST_F(Setup, LoadShowsTheFoldersAndTheOptions) {
    app.addSong("a.mp3", "/m/one/");
    app.addSong("b.mp3", "/m/one/");
    app.addSong("c.mp3", "/m/it's/");
    app.exec("UPDATE settings SET ext1='YES'");
    frmSetup& w = window();
    EXPECT_EQ(w.windowTitle(), "Setup MP3 VELUMIX");
    EXPECT_EQ(w.Width(), 5490);
    EXPECT_EQ(w.Height(), 4830);
    EXPECT_EQ(w.cmdUpdateAll->text(), "&Update All Paths");
    EXPECT_TRUE(w.Check1->isChecked());
    EXPECT_TRUE(w.Check2->isChecked());
    EXPECT_EQ(w.lblupdate->text(), kTagHint);
    EXPECT_EQ(listed(), QStringList({"/m/it's/=1", "/m/one/=2"}));

    w.Check1->setChecked(false);
    EXPECT_EQ(w.lblupdate->text(), "");
    w.Check2->setChecked(false);
    EXPECT_EQ(app.scalar("SELECT ext1 FROM settings"), "NO");
    w.Check2->setChecked(true);
    EXPECT_EQ(app.scalar("SELECT ext1 FROM settings"), "YES");

    // Closing and opening again ticks the tag box again.
    w.Command3_Click();
    Windows::flushDeleted();
    EXPECT_FALSE(Windows::IsLoaded<frmSetup>());
    EXPECT_TRUE(window().Check1->isChecked());
    EXPECT_FALSE(Windows::IsLoaded<wizard>());
}

TEST_F(Setup, AddPathScansTheFolderOnceAndRefusesItTwice) {
    const QString rock = folder("Rock 'n' Roll", {"1.mp3", "2.MP3", "notes.txt"});
    app.ui.folders = {rock.chopped(1), rock.chopped(1), ""};
    frmSetup& w = window();

    w.cmdAdd_Click();
    EXPECT_EQ(listed(), QStringList({rock + "=2"}));
    EXPECT_TRUE(w.lblupdate->text().startsWith("Update Complete at: "));
    EXPECT_TRUE(app.ui.messages.isEmpty());

    w.cmdAdd_Click();
    expectMessage(0, "Path:" + rock + " already exists in the database", Buttons::OK, "Path Already Exists");
    EXPECT_EQ(listed(), QStringList({rock + "=2"}));

    w.lblupdate->clear();
    w.cmdAdd_Click();  // cancelled: nothing happens
    EXPECT_EQ(app.ui.messages.size(), 1);
    EXPECT_EQ(w.lblupdate->text(), "");
    EXPECT_EQ(app.ui.browseTitles, QStringList(3, "Add Song Path"));

    // The root keeps its one separator.
    app.addSong("x.mp3", "/");
    app.ui.folders = {"/"};
    w.cmdAdd_Click();
    EXPECT_EQ(app.ui.lastText(), "Path:/ already exists in the database");
}

TEST_F(Setup, RemovePathAsksFirst) {
    const QString f = "/m/it's/";
    app.addSong("a.mp3", f);
    app.addSong("b.mp3", "/m/other/");
    frmSetup& w = window();
    w.lstPaths->SetSelectedItem(1);
    app.ui.answers = {Answer::No, Answer::Yes};

    w.cmdRemove_Click();
    expectMessage(0, "Remove all songs from database associated with path:" + f + "'", Buttons::YesNo,
                  "Remove Song Path");
    EXPECT_EQ(listed().size(), 2);

    w.cmdRemove_Click();
    EXPECT_EQ(listed(), QStringList({"/m/other/=1"}));
    EXPECT_EQ(app.scalar("SELECT count(*) FROM songs"), "1");
}

TEST_F(Setup, UpdatesReportVanishedFoldersOnce) {
    frmSetup& w = window();
    w.cmdUpdate_Click();
    w.cmdUpdateAll_Click();
    expectMessage(0, "No paths to update.", Buttons::OKCancel, "Velumix");
    expectMessage(1, "No paths to update", Buttons::OK, "Update All Paths");

    const QString kept = folder("Kept", {"k.mp3", "new.wav"});
    app.addSong("k.mp3", kept);
    app.addSong("a.mp3", "/gone/one/");
    app.addSong("b.mp3", "/gone/two/");
    w.FillList();
    w.lstPaths->SetSelectedItem(1);  // "/gone/one/" sorts before the temporary folder
    ASSERT_EQ(w.lstPaths->SubItem(1, 1), "/gone/one/");

    w.cmdUpdate_Click();
    expectMessage(2, "Directory was deleted/moved or renamed and has been removed from Velumix", Buttons::OK,
                  "Velumix");
    EXPECT_EQ(Module1::FolderRemoved, 0);
    EXPECT_EQ(listed(), QStringList({"/gone/two/=1", kept + "=1"}));

    app.addSong("c.mp3", "/gone/three/");
    w.FillList();
    w.cmdUpdateAll_Click();
    ASSERT_EQ(app.ui.messages.size(), 4);
    expectMessage(3, "Some directories have been deleted/moved or renamed and have been removed from Velumix",
                  Buttons::OK, "Velumix");
    EXPECT_EQ(listed(), QStringList({kept + "=2"}));
    EXPECT_EQ(Module1::FolderRemoved, 0);
}

TEST_F(Setup, StartUpHooks) {
    // Accepted the empty-library offer: the browser opens while the window loads.
    Module1::OpenSetupAfterStart = 1;
    app.ui.folders = {folder("First", {"f.mp3"}).chopped(1)};
    window();
    EXPECT_EQ(app.ui.browseTitles, QStringList({"Add Song Path"}));
    EXPECT_EQ(listed().size(), 1);

    // On the first start every closing of the window opens the tour.
    Module1::FirstRun = 1;
    window().Command3_Click();
    EXPECT_TRUE(Windows::IsLoaded<wizard>());
}
