#include <gtest/gtest.h>

#include "app/Module1.h"
#include "support/TempApp.h"

namespace {
QStringList run(const QString& sql, bool sorted = true) {
    Recordset rs;
    rs.Open(sql, Module1::cnLibrary);
    QStringList out;
    for (; !rs.EOF_(); rs.MoveNext()) out << rs.Fields("artist").toString();
    if (sorted) out.sort();
    return out;
}
}  // namespace

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
        EXPECT_EQ(run("SELECT * FROM songs WHERE artist like '%" +
                      Module1::SqlQuote(QString::fromUtf8(c.text)).toString() + "%'"),
                  c.hits)
            << c.text;
    EXPECT_EQ(run("Select * from songs where artist like 'ABBA - sos.MP3'"), QStringList{"ABBA - SOS.mp3"});
    Recordset rs;  // matching reads names as raw bytes: they must still come back as text
    rs.Open("SELECT * FROM songs WHERE artist like '%abba%'", Module1::cnLibrary);
    EXPECT_EQ(rs.Fields("artist").typeId(), QMetaType::QString);
    EXPECT_EQ(run("Select * from songs where  title like '%%' and artist like '%untagged%'"), QStringList{});
}

TEST(Like, SortsAndComparesNamesWithoutRegardToCase) {
    TempApp app;
    for (const char* s : {"éclair2.mp3", "beta.mp3", "ALPHA2.mp3", "ÉCLAIR.mp3", "Alpha.mp3"})
        app.addSong(QString::fromUtf8(s), "/m/");
    EXPECT_EQ(run("Select * FROM songs order by artist", false).join("|"),
              QString::fromUtf8("Alpha.mp3|ALPHA2.mp3|beta.mp3|ÉCLAIR.mp3|éclair2.mp3"));
    EXPECT_EQ(run("Select * from songs where artist='ÉCLAIR2.MP3' And path='/m/'"),
              QStringList{QString::fromUtf8("éclair2.mp3")});
    // Folders are exact: on this system /M/ and /m/ are two folders.
    EXPECT_EQ(run("Select * from songs where path='/M/'"), QStringList{});
}
