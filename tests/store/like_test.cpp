#include <gtest/gtest.h>

#include "app/Module1.h"
#include "support/TempApp.h"

using Module1::cnLibrary;

namespace {

const char* const kSongs[] = {
    "björk - army of me.mp3", "ABBA - SOS.mp3", "Rock 'n' Roll.mp3", "ÖLUND.wav",
    "100% pure.mp3",          "a_b.mp3",        "axb.mp3",           "ΣΟΦΙΑ.mp3",
};

QStringList run(const QString& sql, bool sorted = true) {
    Recordset rs;
    rs.Open(sql, cnLibrary);
    QStringList out;
    for (; !rs.EOF_(); rs.MoveNext()) out << rs.Fields("artist").toString();
    if (sorted) out.sort();
    return out;
}

// The main window's search statement, with the text quoted as every caller does.
QStringList search(const QString& text) {
    return run("SELECT * FROM songs WHERE artist like '%" + Module1::SqlQuote(text).toString() + "%'");
}

}  // namespace

TEST(Like, MatchesWithoutRegardToCaseInEveryScript) {
    TempApp app;
    for (const char* s : kSongs) app.addSong(QString::fromUtf8(s), "/m/");
    const struct {
        const char* text;
        QStringList hits;
    } cases[] = {
        {"BJÖRK", {"björk - army of me.mp3"}},
        {"Army OF", {"björk - army of me.mp3"}},
        {"abba - sos", {"ABBA - SOS.mp3"}},
        {"ölund", {"ÖLUND.wav"}},
        {"σοφια", {"ΣΟΦΙΑ.mp3"}},
        {"ROCK 'N' ROLL", {"Rock 'n' Roll.mp3"}},
        {"'", {"Rock 'n' Roll.mp3"}},
        {"a_b", {"ABBA - SOS.mp3", "a_b.mp3", "axb.mp3"}},  // "_": any one character
        {"100%.mp3", {"100% pure.mp3"}},                    // "%" for any run of them
        {"b%army", {"björk - army of me.mp3"}},
        {"bj_rk", {"björk - army of me.mp3"}},  // "ö" is one character, not two bytes
        {"bjork", {}},
        {"zzz", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(search(QString::fromUtf8(c.text)), c.hits) << c.text;
    EXPECT_EQ(search("").size(), std::size(kSongs));
}

TEST(Like, AnchorsEscapesAndNulls) {
    TempApp app;
    app.addSong("100% pure.mp3", "/m/", "Love");
    app.addSong("1000 pure.mp3", "/m/");
    EXPECT_EQ(run("Select * from songs where artist like '100\\%%' escape '\\'"),
              QStringList{"100% pure.mp3"});
    EXPECT_EQ(run("Select * from songs where artist like '1000 PURE.MP3'"), QStringList{"1000 pure.mp3"});
    EXPECT_EQ(run("Select * from songs where artist like 'pure%'"), QStringList{});
    // A song without a tag has a Null title: it never matches, even "%".
    EXPECT_EQ(run("Select * from songs where  title like '%%' and artist like '%pure%'"),
              QStringList{"100% pure.mp3"});
}

TEST(Collation, SortsAndComparesWithoutRegardToCase) {
    TempApp app;
    for (const char* s : {"éclair2.mp3", "beta.mp3", "ALPHA2.mp3", "ÉCLAIR.mp3", "Alpha.mp3"})
        app.addSong(QString::fromUtf8(s), "/m/");
    EXPECT_EQ(run("Select * FROM songs order by artist", false).join("|"),
              QString::fromUtf8("Alpha.mp3|ALPHA2.mp3|beta.mp3|ÉCLAIR.mp3|éclair2.mp3"));
    EXPECT_EQ(run("Select * from songs where artist='ÉCLAIR2.MP3' And path='/m/'"),
              QStringList{QString::fromUtf8("éclair2.mp3")});
    // Folders are exact: two folders differing in case are two folders.
    EXPECT_EQ(run("Select * from songs where path='/M/'"), QStringList{});
}
