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

    // A folder on disk holding empty files, as the library spells it.
    QString folder(const QString& name, const QStringList& files) const {
        const QString path = music.path() + "/" + name + "/";
        QDir().mkpath(path);
        for (const QString& f : files) QFile(path + f).open(QIODevice::WriteOnly);
        return path;
    }
    static frmSetup& w() { return Windows::Load<frmSetup>(); }
    static QStringList listed() {
        QStringList out;
        for (int i = 1; i <= w().lstPaths->Count(); ++i)
            out << w().lstPaths->SubItem(i, 1) + "=" + w().lstPaths->SubItem(i, 2);
        return out;
    }
    void expectMessage(int i, const QString& text, Buttons buttons, const QString& title) const {
        ASSERT_GT(app.ui.messages.size(), i);
        EXPECT_EQ(app.ui.messages[i].text, text);
        EXPECT_EQ(app.ui.messages[i].buttons, buttons);
        EXPECT_EQ(app.ui.messages[i].title, title);
    }
};

}  // namespace

TEST_F(Setup, LoadShowsFoldersAndOptions) {
    app.addSong("a.mp3", "/m/one/");
    app.addSong("b.mp3", "/m/one/");
    app.addSong("c.mp3", "/m/it's/");
    app.exec("UPDATE settings SET ext1='YES'");
    EXPECT_EQ(w().windowTitle(), "Setup MP3 VELUMIX");
    EXPECT_EQ(QSize(w().Width(), w().Height()), QSize(5490, 4830));
    EXPECT_TRUE(w().Check1->isChecked() && w().Check2->isChecked());
    EXPECT_EQ(w().lblupdate->text(), "Updating ID3 Tag informtation will take a few extra seconds");
    EXPECT_EQ(listed(), QStringList({"/m/it's/=1", "/m/one/=2"}));

    w().Check1->setChecked(false);
    EXPECT_EQ(w().lblupdate->text(), "");
    w().Check2->setChecked(false);
    EXPECT_EQ(app.scalar("SELECT ext1 FROM settings"), "NO");
    w().Command3_Click();
    Windows::flushDeleted();
    EXPECT_TRUE(w().Check1->isChecked()) << "ticked again at every load";
    EXPECT_FALSE(Windows::IsLoaded<wizard>());
}

TEST_F(Setup, AddPathScansOnceRefusesTwiceAndStopsOnCancel) {
    const QString rock = folder("Rock 'n' Roll", {"1.mp3", "2.MP3", "notes.txt"});
    app.ui.folders = {rock.chopped(1), rock.chopped(1), ""};
    w().cmdAdd_Click();
    EXPECT_EQ(listed(), QStringList({rock + "=2"}));
    EXPECT_TRUE(w().lblupdate->text().startsWith("Update Complete at: "));
    w().cmdAdd_Click();
    expectMessage(0, "Path:" + rock + " already exists in the database", Buttons::OK, "Path Already Exists");
    w().lblupdate->clear();
    w().cmdAdd_Click();
    EXPECT_EQ(app.ui.messages.size(), 1);
    EXPECT_EQ(w().lblupdate->text(), "");
    EXPECT_EQ(app.ui.browseTitles, QStringList(3, "Add Song Path"));

    app.addSong("x.mp3", "/");
    app.ui.folders = {"/"};
    w().cmdAdd_Click();
    EXPECT_EQ(app.ui.lastText(), "Path:/ already exists in the database") << "the root keeps its one /";
}

TEST_F(Setup, RemovePathAsksFirst) {
    app.addSong("a.mp3", "/m/it's/");
    app.addSong("b.mp3", "/m/other/");
    app.ui.answers = {Answer::No, Answer::Yes};
    w().cmdRemove_Click();
    expectMessage(0, "Remove all songs from database associated with path:/m/it's/'", Buttons::YesNo,
                  "Remove Song Path");
    EXPECT_EQ(listed().size(), 2);
    w().cmdRemove_Click();
    EXPECT_EQ(listed(), QStringList({"/m/other/=1"}));
}

TEST_F(Setup, UpdatesReportVanishedFoldersOnce) {
    w().cmdUpdate_Click();
    w().cmdUpdateAll_Click();
    expectMessage(0, "No paths to update.", Buttons::OKCancel, "Velumix");
    expectMessage(1, "No paths to update", Buttons::OK, "Update All Paths");

    const QString kept = folder("Kept", {"k.mp3", "new.wav"});
    for (const QString& f : {kept, QString("/gone/one/"), QString("/gone/two/")}) app.addSong("s.mp3", f);
    w().FillList();
    ASSERT_EQ(w().lstPaths->SubItem(w().lstPaths->SelectedItem(), 1), "/gone/one/");
    w().cmdUpdate_Click();
    expectMessage(2, "Directory was deleted/moved or renamed and has been removed from Velumix", Buttons::OK,
                  "Velumix");
    EXPECT_EQ(listed(), QStringList({"/gone/two/=1", kept + "=1"}));

    app.addSong("c.mp3", "/gone/three/");
    w().FillList();
    w().cmdUpdateAll_Click();
    ASSERT_EQ(app.ui.messages.size(), 4);
    expectMessage(3, "Some directories have been deleted/moved or renamed and have been removed from Velumix",
                  Buttons::OK, "Velumix");
    EXPECT_EQ(listed(), QStringList({kept + "=2"}));
    EXPECT_EQ(Module1::FolderRemoved, 0);
}

TEST_F(Setup, StartUpHooks) {
    Module1::OpenSetupAfterStart = 1;  // the browser opens while the window loads
    app.ui.folders = {folder("First", {"f.mp3"}).chopped(1)};
    EXPECT_EQ(listed().size(), 1);
    EXPECT_EQ(app.ui.browseTitles, QStringList({"Add Song Path"}));
    Module1::FirstRun = 1;  // on the first start, closing the window opens the tour
    w().Command3_Click();
    EXPECT_TRUE(Windows::IsLoaded<wizard>());
}
