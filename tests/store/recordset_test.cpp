#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "library/Schema.h"
#include "support/TempApp.h"

using Module1::cnLibrary;

namespace {

QStringList column(const QString& sql, const QString& field) {
    Recordset rs;
    rs.Open(sql, cnLibrary);
    QStringList out;
    for (; !rs.EOF_(); rs.MoveNext()) out << rs.Fields(field).toString();
    rs.Close();
    return out;
}

}  // namespace

TEST(Recordset, WalksRowsAndReportsTheEnd) {
    TempApp app;
    Recordset rs;
    rs.Open("SELECT * FROM songs", cnLibrary);
    EXPECT_TRUE(rs.EOF_());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_THROW(rs.Fields("artist"), StoreError);
    EXPECT_THROW(rs.MoveNext(), StoreError);
    rs.Close();

    app.addSong("b.mp3", "/m/");
    app.addSong("a.mp3", "/m/");
    rs.Open("Select * FROM songs order by artist", cnLibrary);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields("ARTIST").toString(), "a.mp3");
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("artist").toString(), "b.mp3");
    rs.MoveNext();
    EXPECT_TRUE(rs.EOF_());
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields("artist").toString(), "a.mp3");
    EXPECT_THROW(rs.Fields("no_such_column"), StoreError);
    EXPECT_THROW(rs.Open("SELECT * FROM songs", cnLibrary), StoreError);  // still open
    rs.Close();
    EXPECT_THROW(rs.Fields("artist"), StoreError);
    rs.Open("SELECT * FROM settings", cnLibrary);  // reusable after Close
    EXPECT_EQ(rs.Fields("ext2").toString(), "0");
}

TEST(Recordset, NullStaysDistinctFromEmpty) {
    TempApp app;
    app.addSong("untagged.mp3", "/m/");
    app.addSong("tagged.mp3", "/m/", "");
    Recordset rs;
    rs.Open("Select * FROM songs order by artist", cnLibrary);
    EXPECT_FALSE(rs.Fields("title").isNull());  // tagged.mp3: empty title
    EXPECT_EQ(rs.Fields("title").toString(), "");
    rs.MoveNext();
    EXPECT_TRUE(rs.Fields("title").isNull());
}

TEST(Recordset, NamesTheColumnsOfEveryStatementShape) {
    TempApp app;
    app.addSong("a.mp3", "/one/");
    app.addSong("b.mp3", "/one/");
    app.addSong("c.mp3", "/it's/");
    EXPECT_EQ(column("SELECT distinct(path) from songs", "path").size(), 2);
    EXPECT_EQ(column("Select DISTINCT(path) FROM songs", "path").size(), 2);
    EXPECT_EQ(column("Select Count(path) as numsongs from songs where path='/one/'", "numsongs"),
              QStringList{"2"});
    EXPECT_EQ(column("Select Count(Artist) as Total from songs", "Total"), QStringList{"3"});
    const QString quoted = Module1::SqlQuote("/it's/").toString();
    EXPECT_EQ(column("Select path FROM songs where path='" + quoted + "'", "path"), QStringList{"/it's/"});
}

TEST(Recordset, AddsAndUpdatesRows) {
    TempApp app;
    Recordset rs;
    rs.Open("SELECT * FROM songs", cnLibrary);
    for (const char* name : {"one.mp3", "two.mp3"}) {
        rs.AddNew();
        rs.SetField("artist", name);
        rs.SetField("path", "/m/");
        rs.Update();
    }
    rs.Close();
    EXPECT_EQ(app.scalar("SELECT count(*) FROM songs WHERE title IS NULL"), "2");

    rs.Open("Select * from songs where artist='two.mp3' And path='/m/'", cnLibrary);
    rs.SetField("title", "Second");
    rs.Update();
    EXPECT_EQ(rs.Fields("title").toString(), "Second");  // the current row shows the change
    rs.Close();
    EXPECT_EQ(app.scalar("SELECT group_concat(ifnull(title,'-')) FROM (SELECT title FROM songs "
                         "ORDER BY artist)"),
              "-,Second");

    rs.Open("SELECT distinct(path) from songs", cnLibrary);  // not a table's rows
    EXPECT_THROW(rs.AddNew(), StoreError);
    EXPECT_THROW(rs.SetField("path", "/x/"), StoreError);
}

// A start-up rescan walks the folders while replacing each folder's rows.
TEST(Recordset, WalkingFoldersSurvivesRewritingThem) {
    TempApp app;
    cnLibrary.BeginTrans();
    for (const char* f : {"/a/", "/b/", "/c/"})
        for (int i = 0; i < 50; ++i) app.addSong(QString("s%1.mp3").arg(i), f);
    Recordset rs;
    rs.Open("SELECT distinct(path) from songs", cnLibrary);
    const long n = rs.RecordCount();
    QStringList seen;
    for (long i = 0; i < n; ++i) {
        const QString path = rs.Fields("path").toString();
        seen << path;
        cnLibrary.Execute("Delete FROM songs where path='" + path + "'");
        for (int k = 0; k < 60; ++k) app.addSong(QString("n%1.mp3").arg(k), path);
        rs.MoveNext();
    }
    EXPECT_TRUE(rs.EOF_());
    cnLibrary.CommitTrans();
    EXPECT_EQ(seen, (QStringList{"/a/", "/b/", "/c/"}));
}

TEST(Connection, FailuresCarryTheEnginesTextAndCreateNothing) {
    TempApp app(false);
    Connection cn;
    cn.ConnectionString = Module1::LibraryConnectionString(app.path() + "/elsewhere");
    try {
        cn.Open();
        FAIL() << "opened a missing library";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().contains("elsewhere/songs.mdb")) << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(app.path() + "/elsewhere/songs.mdb"));

    cn.ConnectionString = Module1::LibraryConnectionString(app.path());
    cn.Open();
    EXPECT_TRUE(cn.IsOpen());
    try {
        cn.Execute("Delete FROM nosuchtable");
        FAIL();
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().contains("no such table")) << e.message().toStdString();
    }
    EXPECT_EQ(Connection::DataSource("Provider=SQLite;Data Source=/x y/songs.mdb;User Id=admin;"),
              "/x y/songs.mdb");
}

// The build step runs velumix_mklib on every build: an existing library must survive it.
TEST(LibraryFile, BuildStepNeverReplacesALibrary) {
    const QString tool = QCoreApplication::applicationDirPath() + "/../tools/velumix_mklib";
    if (!QFile::exists(tool)) GTEST_SKIP() << "velumix_mklib not built";
    TempApp app;
    app.addSong("mine.mp3", "/m/");
    cnLibrary.Close();
    EXPECT_EQ(QProcess::execute(tool, {app.libraryFile()}), 0);
    cnLibrary.Open();
    EXPECT_EQ(app.scalar("SELECT artist FROM songs"), "mine.mp3");

    const QString fresh = app.path() + "/fresh.mdb";
    EXPECT_EQ(QProcess::execute(tool, {fresh}), 0);
    Connection cn;
    cn.ConnectionString = "Data Source=" + fresh;
    cn.Open();
    Recordset rs;
    rs.Open("SELECT * FROM settings", cn);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("autosave").toString() + rs.Fields("ext1").toString() + rs.Fields("ext2").toString(),
              "NONO0");
    rs.Close();
    EXPECT_FALSE(CreateEmptyLibrary(fresh));
}

// Filtered statements are run through the index where they can be; what the
// caller sees must not change: the rows, their order, their fields, updates.
TEST(Recordset, FilteredRowsKeepTableOrderAndStayUpdatable) {
    TempApp app;
    for (const char* n : {"zeta love.mp3", "Alpha LOVE.mp3", "other.mp3", "mid love.mp3"})
        app.addSong(n, "/m/", "t");
    const QStringList inTableOrder{"zeta love.mp3", "Alpha LOVE.mp3", "mid love.mp3"};
    for (const char* sql : {"SELECT * FROM songs WHERE artist like '%love%'",
                            "Select * from songs where  title like '%t%' and artist like '%LOVE%'",
                            "SELECT * FROM songs WHERE artist like '%love%' -- a remark"}) {
        EXPECT_EQ(column(sql, "artist"), inTableOrder) << sql;
    }
    EXPECT_EQ(column("SELECT * FROM songs WHERE artist like '%love%' ORDER BY artist", "artist"),
              (QStringList{"Alpha LOVE.mp3", "mid love.mp3", "zeta love.mp3"}));

    Recordset rs;
    rs.Open("Select * from songs where artist='MID LOVE.MP3' And path='/m/'", cnLibrary);
    ASSERT_FALSE(rs.EOF_());
    EXPECT_EQ(rs.RecordCount(), 1);
    rs.SetField("genre", "Rock");
    rs.Update();
    rs.Close();
    EXPECT_EQ(app.scalar("SELECT artist FROM songs WHERE genre='Rock'"), "mid love.mp3");
}
