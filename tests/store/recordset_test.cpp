#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/Module1.h"
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
        {"Select * from songs where artist like 'ABBA - sos.MP3'", {"ABBA - SOS.mp3"}},
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
    EXPECT_EQ(QProcess::execute(tool, {app.path() + "/fresh.mdb"}), 0);
    cnLibrary.Open();
    EXPECT_EQ(app.scalar("SELECT artist FROM songs"), "mine.mp3");
    cnLibrary.Execute("ATTACH '" + app.path() + "/fresh.mdb' AS fresh");
    EXPECT_EQ(app.scalar("SELECT autosave || ext1 || ext2 || count(*) FROM fresh.settings"), "NONO01");
}
