// The program as a whole: where it keeps its library, and how it ends when
// told to from outside (run as a child process).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

#include "app/CommonDialog.h"
#include "app/Module1.h"
#include "app/Options.h"
#include "app/form1.h"
#include "library/AppFolder.h"
#include "library/Schema.h"
#include "support/TempApp.h"

TEST(AppFolder, PortableBesideItsLibraryInstalledInTheUsersDataFolder) {
    QTemporaryDir d;
    const QString bin = d.path() + "/usr/bin", share = d.path() + "/usr/share/velumix";
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/velumix";
    QDir().mkpath(bin);
    EXPECT_EQ(AppFolder::DataFolder(bin), bin);  // its missing library stays an error
    QDir().mkpath(share);
    EXPECT_EQ(AppFolder::DataFolder(bin), data);
    EXPECT_EQ(AppFolder::ManualFile(bin), share + "/webmanual/vlm.htm");
    // The first start makes the library; an existing file is never written over.
    QDir(data).removeRecursively();
    ASSERT_TRUE(AppFolder::Prepare(bin, nullptr));
    EXPECT_FALSE(CreateEmptyLibrary(data + "/songs.mdb"));
    QFile mine(data + "/songs.mdb");
    ASSERT_TRUE(mine.resize(4) && AppFolder::Prepare(bin, nullptr));
    EXPECT_EQ(mine.size(), 4);
    ASSERT_TRUE(CreateEmptyLibrary(bin + "/songs.mdb"));  // beside the program: portable
    EXPECT_EQ(AppFolder::DataFolder(bin), bin);
    EXPECT_EQ(AppFolder::ManualFile(bin), bin + "/webmanual/vlm.htm");
}

TEST(AppFolder, AnyFolderNameStarts) {
    EXPECT_EQ(Module1::LibraryConnectionString("/m"),
              "Provider=SQLite;Data Source=/m/songs.mdb;User Id=admin;Password=");
    for (const char* name : {"Mix;Set", "say \"hi\";", "it's", " lead", "a=b"}) {
        SCOPED_TRACE(name);
        TempApp app(false);
        const QString folder = app.path() + "/" + name;
        ASSERT_TRUE(QDir().mkpath(folder) && CreateEmptyLibrary(folder + "/songs.mdb"));
        EXPECT_EQ(Connection::DataSource(Module1::LibraryConnectionString(folder)), folder + "/songs.mdb");
        Module1::SetAppPath(folder);
        app.ui.answers = {Seams::Answer::No, Seams::Answer::OK};
        EXPECT_EQ(Module1::Main(), 0);
    }
}

TEST(Dialogs, StartInTheFolderLastUsedForTheirKindOfFile) {
    TempApp app;
    for (const char* kind : {"lists", "songs", "picker"}) Options::SetLastFolder(kind, "");
    CommonDialog lists(nullptr), songs(nullptr);
    lists.Filter = "VLX|*.vlx";
    songs.Filter = "MP3|*.mp3";
    app.ui.files = {{"/a/set.vlx"}, {"/b/x.mp3", "/b/y.mp3"}};
    app.ui.folders = {"/c/music/", ""};
    lists.ShowSave();
    songs.ShowOpen();
    Module1::BrowseFolder(nullptr, "Add Song Path");
    lists.ShowOpen();  // cancelled: remembers nothing new
    songs.ShowOpen();
    Module1::BrowseFolder(nullptr, "Add Song Path");
    lists.ShowOpen();
    QStringList starts;
    for (const Seams::FileDialog& d : app.ui.fileDialogs) starts << d.folder;
    EXPECT_EQ(starts, (QStringList{"", "", "/a", "/b", "/a"}));
    EXPECT_EQ(app.ui.browseStarts, (QStringList{"", "/c/music"}));
}

namespace {

// A copy of the program in a folder of its own with an empty library, so it
// runs portable there and never touches the build's library.
struct Program {
    QTemporaryDir dir;
    QProcess process;

    explicit Program(const QProcessEnvironment& env) {
        QDir().mkpath(dir.path() + "/bin");
        QFile::copy(VELUMIX_PROGRAM, dir.path() + "/bin/velumix");
        CreateEmptyLibrary(dir.path() + "/bin/songs.mdb");
        process.setProcessEnvironment(env);
        process.start(dir.path() + "/bin/velumix", {});
    }
    // Up once it handles SIGTERM itself.
    bool waitUntilUp() {
        for (int i = 0; i < 3000; ++i) {
            QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
            if (!status.open(QIODevice::ReadOnly)) return false;
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("SigCgt:") &&
                    (line.mid(7).trimmed().toULongLong(nullptr, 16) & (1u << 14)))
                    return true;
            QThread::msleep(10);
        }
        return false;
    }
};

QProcessEnvironment environment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    return env;
}

}  // namespace

TEST(Program, SigtermAndSigintEndItAsExitDoes) {
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        Program p(environment());
        ASSERT_TRUE(p.waitUntilUp());
        kill(p.process.processId(), sig);
        ASSERT_TRUE(p.process.waitForFinished(30000));
        EXPECT_EQ(p.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.process.exitCode(), 0);
    }
}

TEST(Program, EndsWithoutACrashWhenTheDisplayGoesAway) {
    QProcess x;
    x.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
    ASSERT_TRUE(x.waitForReadyRead(30000));
    QProcessEnvironment env = environment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", ":" + QString::fromLatin1(x.readLine().trimmed()));
    // Under AddressSanitizer the strict string check flags a legal strndup of
    // an unterminated buffer in the X keyboard library, before our code runs.
    if (env.contains("ASAN_OPTIONS"))
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":strict_string_checks=0");
    Program p(env);
    ASSERT_TRUE(p.waitUntilUp());
    x.terminate();
    ASSERT_TRUE(x.waitForFinished(30000));
    ASSERT_TRUE(p.process.waitForFinished(30000));
    EXPECT_EQ(p.process.exitStatus(), QProcess::NormalExit) << p.process.readAllStandardError().toStdString();
}
