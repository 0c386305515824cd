#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "support/TempApp.h"

using Module1::cnLibrary;

namespace {
QStringList column(const QString& sql, const QString& field = "artist") {
    Recordset rs;
    rs.Open(sql, cnLibrary);
    QStringList out;
    for (; !rs.EOF_(); rs.MoveNext()) out << rs.Fields(field).toString();
    return out;
}
QStringList sorted(const QString& sql) {
    QStringList out = column(sql);
    out.sort();
    return out;
}
}  // namespace

// Rows come back in table order whatever the statement's shape (filtered ones
// may run through an index), Null stays apart from empty, and updates land.
TEST(Recordset, WalksAddsAndUpdatesRowsOfEveryStatementShape) {
    TempApp app;
    Recordset rs;
    rs.Open("SELECT * FROM songs", cnLibrary);
    EXPECT_TRUE(rs.EOF_());
    EXPECT_THROW(rs.MoveNext(), StoreError);
    for (const char* n : {"zeta love.mp3", "Alpha LOVE.mp3", "it's.mp3", "mid love.mp3"}) {
        rs.AddNew();
        rs.SetField("artist", n);
        rs.SetField("path", n[0] == 'i' ? "/it's/" : "/m/");
        if (n[0] == 'z') rs.SetField("title", "");
        rs.Update();
    }
    rs.Close();
    const QStringList loves{"zeta love.mp3", "Alpha LOVE.mp3", "mid love.mp3"};
    for (const char* sql : {"SELECT * FROM songs WHERE artist like '%love%'",
                            "Select * from songs where  artist like '%LOVE%' and path like '%m%'",
                            "SELECT * FROM songs WHERE artist like '%love%' -- remark"})
        EXPECT_EQ(column(sql), loves) << sql;
    EXPECT_EQ(column("Select DISTINCT(path) FROM songs", "path").size(), 2);
    EXPECT_EQ(column("Select Count(path) as numsongs from songs where path='/m/'", "numsongs"),
              QStringList{"3"});
    EXPECT_EQ(
        column("Select path FROM songs where path='" + Module1::SqlQuote("/it's/").toString() + "'", "path"),
        QStringList{"/it's/"});

    rs.Open("Select * FROM songs order by artist", cnLibrary);
    EXPECT_EQ(rs.RecordCount(), 4);
    EXPECT_TRUE(rs.Fields("TITLE").isNull());
    EXPECT_THROW(rs.Fields("nosuch"), StoreError);
    for (int i = 0; i < 3; ++i) rs.MoveNext();
    EXPECT_FALSE(rs.Fields("title").isNull());  // empty, not Null
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields("artist").toString(), "Alpha LOVE.mp3");
    rs.Close();
    EXPECT_THROW(rs.Fields("artist"), StoreError);
    rs.Open("Select * from songs where artist='MID LOVE.MP3' And path='/m/'", cnLibrary);
    rs.SetField("genre", "Rock");
    rs.Update();
    EXPECT_EQ(rs.Fields("genre").toString(), "Rock");
    rs.Close();
    EXPECT_EQ(app.scalar("SELECT group_concat(artist) FROM songs WHERE genre='Rock'"), "mid love.mp3");
    rs.Open("SELECT distinct(path) from songs", cnLibrary);  // no table rows behind it
    EXPECT_THROW(rs.AddNew(), StoreError);
}

// A start-up rescan walks the folders while replacing each folder's rows.
TEST(Recordset, WalkingFoldersSurvivesRewritingThem) {
    TempApp app;
    cnLibrary.BeginTrans();
    for (const char* f : {"/a/", "/b/", "/c/"})
        for (int i = 0; i < 50; ++i) app.addSong(QString("s%1.mp3").arg(i), f);
    Recordset rs;
    rs.Open("SELECT distinct(path) from songs", cnLibrary);
    QStringList seen;
    for (long i = 0, n = rs.RecordCount(); i < n; ++i, rs.MoveNext()) {
        seen << rs.Fields("path").toString();
        cnLibrary.Execute("Delete FROM songs where path='" + seen.last() + "'");
        for (int k = 0; k < 60; ++k) app.addSong(QString("n%1.mp3").arg(k), seen.last());
    }
    EXPECT_TRUE(rs.EOF_());
    cnLibrary.CommitTrans();
    EXPECT_EQ(seen, (QStringList{"/a/", "/b/", "/c/"}));
}

// The build runs velumix_mklib every time: an existing library must survive it.
TEST(LibraryFile, BuildStepNeverReplacesALibrary) {
    const QString tool = QCoreApplication::applicationDirPath() + "/../tools/velumix_mklib";
    if (!QFile::exists(tool)) GTEST_SKIP() << "velumix_mklib not built";
    TempApp app;
    app.addSong("mine.mp3", "/m/");
    cnLibrary.Close();
    EXPECT_EQ(QProcess::execute(tool, {app.libraryFile()}), 0);
    EXPECT_EQ(QProcess::execute(tool, {app.path() + "/fresh.mdb"}), 0);
    cnLibrary.Open();
    EXPECT_EQ(app.scalar("SELECT artist FROM songs"), "mine.mp3");
    cnLibrary.Execute("ATTACH '" + app.path() + "/fresh.mdb' AS fresh");
    EXPECT_EQ(app.scalar("SELECT autosave || ext1 || ext2 || count(*) FROM fresh.settings"), "NONO01");
}

TEST(Like, MatchesWithoutRegardToCaseInEveryScript) {
    TempApp app;
    for (const char* s : {"björk - army of me.mp3", "ABBA - SOS.mp3", "Rock 'n' Roll.mp3", "ÖLUND.wav",
                          "100% pure.mp3", "a_b.mp3", "ΣΟΦΙΑ.mp3"})
        app.addSong(QString::fromUtf8(s), "/m/");
    app.addSong("untagged.mp3", "/m/");  // title stays Null
    const struct {
        const char* text;
        QStringList hits;
    } cases[] = {
        {"BJÖRK", {"björk - army of me.mp3"}},
        {"ölund", {"ÖLUND.wav"}},
        {"σοφια", {"ΣΟΦΙΑ.mp3"}},
        {"ROCK 'N' ROLL", {"Rock 'n' Roll.mp3"}},
        {"a_b", {"ABBA - SOS.mp3", "a_b.mp3"}},  // "_": any one character
        {"bj_rk", {"björk - army of me.mp3"}},   // "ö" is one character, not two bytes
        {"100%.mp3", {"100% pure.mp3"}},         // "%": any run of characters
        {"bjork", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sorted("SELECT * FROM songs WHERE artist like '%" +
                         Module1::SqlQuote(QString::fromUtf8(c.text)).toString() + "%'"),
                  c.hits)
            << c.text;
    EXPECT_EQ(column("Select * from songs where artist like 'ABBA - sos.MP3'"),
              QStringList{"ABBA - SOS.mp3"});
    Recordset rs;  // matching reads names as raw bytes: they must still come back as text
    rs.Open("SELECT * FROM songs WHERE artist like '%abba%'", Module1::cnLibrary);
    EXPECT_EQ(rs.Fields("artist").typeId(), QMetaType::QString);
    EXPECT_EQ(column("Select * from songs where  title like '%%' and artist like '%untagged%'"),
              QStringList{});
}

TEST(Like, SortsAndComparesNamesWithoutRegardToCase) {
    TempApp app;
    for (const char* s : {"éclair2.mp3", "beta.mp3", "ALPHA2.mp3", "ÉCLAIR.mp3", "Alpha.mp3"})
        app.addSong(QString::fromUtf8(s), "/m/");
    EXPECT_EQ(column("Select * FROM songs order by artist").join("|"),
              QString::fromUtf8("Alpha.mp3|ALPHA2.mp3|beta.mp3|ÉCLAIR.mp3|éclair2.mp3"));
    EXPECT_EQ(column("Select * from songs where artist='ÉCLAIR2.MP3' And path='/m/'"),
              QStringList{QString::fromUtf8("éclair2.mp3")});
    // Folders are exact: on this system /M/ and /m/ are two folders.
    EXPECT_EQ(column("Select * from songs where path='/M/'"), QStringList{});
}
