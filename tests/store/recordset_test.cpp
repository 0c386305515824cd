#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/Module1.h"
#include "library/SongListing.h"
#include "library/SongRows.h"
#include "support/TempApp.h"

using Module1::cnLibrary;

namespace {

struct Store : ::testing::Test {
    TempApp app;
    Store() {
        for (const char* s : {"björk - army of me.mp3", "ABBA - SOS.mp3", "Rock 'n' Roll.mp3", "ÖLUND.wav",
                              "100% pure.mp3", "a_b.mp3", "ΣΟΦΙΑ.mp3"})
            app.addSong(QString::fromUtf8(s), "/m/");  // titles stay Null
        for (const char* s : {"éclair2.mp3", "beta.mp3", "ALPHA2.mp3", "ÉCLAIR.mp3", "Alpha.mp3"})
            app.addSong(QString::fromUtf8(s), "/e/");
    }
};

}  // namespace

// Statement -> the rows a recordset walks: in table order whatever the
// statement's shape (a plain filter runs through an index), names matched,
// compared and sorted without regard to case in every script (a text in
// capitals matching one in small letters, and the other way round, in Greek).
// The setup window's folder list reads distinct folders and their counts.
TEST_F(Store, StatementsWalkTheirRows) {
    const struct {
        const char* sql;
        QStringList hits;
    } cases[] = {
        {"SELECT * FROM songs WHERE artist like '%BJÖRK%'", {"björk - army of me.mp3"}},
        {"SELECT * FROM songs WHERE artist like '%σοφια%'", {"ΣΟΦΙΑ.mp3"}},
        {"SELECT * FROM songs WHERE artist like '%a_b%'", {"ABBA - SOS.mp3", "a_b.mp3"}},  // "_": any one
        {"SELECT * FROM songs WHERE artist like '%bj_rk%'", {"björk - army of me.mp3"}},   // "ö" is one
        {"SELECT * FROM songs WHERE artist like '%100%.mp3'", {"100% pure.mp3"}},          // "%": any run
        {"SELECT * FROM songs WHERE artist like '%bjork%'", {}},
        {"Select * from songs where title like '%%'", {}},  // Null matches nothing
        {"Select * from songs where artist='ÉCLAIR2.MP3' And path='/e/'", {"éclair2.mp3"}},
        {"Select * from songs where path='/E/'", {}},  // on this system /E/ and /e/ are two folders
        {"Select * FROM songs where path='/e/' order by artist",
         {"Alpha.mp3", "ALPHA2.mp3", "beta.mp3", "ÉCLAIR.mp3", "éclair2.mp3"}},
        {"Select * from songs where  artist like '%AL%' and path like '%e%'", {"ALPHA2.mp3", "Alpha.mp3"}},
        {"SELECT * FROM songs WHERE artist like '%al%' -- remark", {"ALPHA2.mp3", "Alpha.mp3"}},
    };
    for (const auto& c : cases) {
        Recordset rs;
        rs.Open(QString::fromUtf8(c.sql), cnLibrary);
        QStringList walked;
        for (; !rs.EOF_(); rs.MoveNext()) walked << rs.Fields("artist").toString();
        EXPECT_EQ(walked, c.hits) << c.sql;
    }
}

// A listing's rows, their columns joined by "|".
template <class Rows>
QStringList texts(Rows& rows) {
    QStringList out;
    for (int i = 0; i < rows.Count(); ++i) {
        QStringList cells;
        for (int c = 0; c < 3; ++c) cells << rows.Text(i, c);
        out << cells.join("|");
    }
    return out;
}

// A listing long enough to be read by one pass over the table, and one read
// row by row, equal a recordset's walk: order among names equal but for case
// (by row), Null as empty, a NUL inside a text kept. What cannot be listed
// leaves no rows and says why.
TEST_F(Store, SongRowsEqualTheRecordsetsWalk) {
    app.exec(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999) "
        "INSERT INTO songs (artist, path, title) SELECT iif(i % 2, 'SONG', 'song') || (i % 997) || "
        "'.mp3', '/f' || (i % 7) || '/', iif(i % 3, 'T' || char(0) || i, NULL) FROM n");
    for (const char* sql :
         {"Select * from songs order by artist", "Select * from songs where title like '%77%'"}) {
        Recordset rs;
        rs.Open(sql, cnLibrary);
        QStringList walked;
        for (; !rs.EOF_(); rs.MoveNext())
            walked << rs.Fields("artist").toString() + "|" + rs.Fields("path").toString() + "|" +
                          rs.Fields("title").toString();
        SongRows rows = SongRows::Read(cnLibrary, sql, {"artist", "path", "title"});
        EXPECT_EQ(texts(rows), walked) << sql;
        EXPECT_TRUE(rows.Error().isEmpty());
        // Shown before it is all read: its first rows at once, the rest from a thread.
        SongListing listing(cnLibrary, sql, {"artist", "path", "title"});
        EXPECT_EQ(texts(listing), walked) << sql;
    }
    // Rows the library connection has not committed yet are its own to list.
    cnLibrary.BeginTrans();
    app.exec("DELETE FROM songs WHERE path = '/f1/'");
    SongListing listing(cnLibrary, "Select * from songs order by artist", {"path"});
    EXPECT_EQ(texts(listing).filter("/f1/").size(), 0);
    cnLibrary.RollbackTrans();
    const struct {
        const char* sql;
        QStringList fields;
    } refused[] = {{"Select * from songs order by nosuch", {"artist"}},
                   {"Select * from songs", {"artist", "nosuch"}},
                   {"SELECT distinct(path) from songs", {"path"}}};
    for (const auto& r : refused) {
        const SongRows rows = SongRows::Read(cnLibrary, r.sql, r.fields);
        EXPECT_TRUE(rows.Count() == 0 && !rows.Error().isEmpty()) << r.sql;
    }
}

// Adding rows, Null kept apart from empty, and the errors of a closed or
// exhausted recordset. Updating the one row a filter found is the tag
// editor's save (windows_test).
TEST_F(Store, RecordsetAddsRowsAndRefusesWhatItCannotDo) {
    Recordset rs;
    rs.Open("SELECT * FROM songs WHERE path='/new/'", cnLibrary);
    EXPECT_THROW(rs.MoveNext(), StoreError);
    for (const char* n : {"x.mp3", "y.mp3"}) {
        rs.AddNew();
        rs.SetField("artist", n);
        rs.SetField("path", "/new/");
        if (n[0] == 'x') rs.SetField("title", "");
        rs.Update();
    }
    rs.Close();
    rs.Open("Select * FROM songs where path='/new/' order by artist desc", cnLibrary);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_TRUE(rs.Fields("TITLE").isNull());
    EXPECT_THROW(rs.Fields("nosuch"), StoreError);
    rs.MoveNext();
    EXPECT_FALSE(rs.Fields("title").isNull());  // empty, not Null
    rs.Close();
    EXPECT_THROW(rs.Fields("artist"), StoreError);
    rs.Open("SELECT * FROM songs WHERE artist like '%abba%'", cnLibrary);
    // Matching reads names as raw bytes: they must still come back as text.
    EXPECT_EQ(rs.Fields("artist").typeId(), QMetaType::QString);
    rs.Close();
    rs.Open("SELECT distinct(path) from songs", cnLibrary);  // no table rows behind it
    EXPECT_THROW(rs.AddNew(), StoreError);
}

// The build runs velumix_mklib every time: an existing library must survive it.
TEST(LibraryFile, BuildStepNeverReplacesALibrary) {
    const QString tool = QCoreApplication::applicationDirPath() + "/../tools/velumix_mklib";
    if (!QFile::exists(tool)) GTEST_SKIP() << "velumix_mklib not built";
    TempApp app;
    app.addSong("mine.mp3", "/m/");
    cnLibrary.Close();
    EXPECT_EQ(QProcess::execute(tool, {app.libraryFile()}), 0);
    cnLibrary.Open();
    EXPECT_EQ(app.scalar("SELECT artist FROM songs"), "mine.mp3");
}
