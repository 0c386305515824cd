// List files from the wild: odd line ends, a byte order mark, a cut-off last
// line, binary garbage and huge lines. Nothing may crash, the cue the DJ has
// lined up must never be lost to a bad file, and a file with songs in it must
// give up its songs.
#include <gtest/gtest.h>

#include <QDir>

#include "support/CueFixture.h"
#include "library/ListFile.h"

namespace {

struct BadList {
    const char* name;
    QByteArray bytes;
    QStringList songs;  // what the cue must hold after opening; empty: the cue stays as it was
};

QByteArray garbage(int n) {
    QByteArray b;
    uint32_t x = 2463534242u;
    for (int i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b += char(x & 0xff);
    }
    return b.replace('*', 'x');  // no accidental separators
}

std::vector<BadList> cases() {
    const QByteArray huge = "\"/m/*()*" + QByteArray(10 * 1024 * 1024, 'a') + ".mp3\"\r\n";
    return {
        {"bom", "\xEF\xBB\xBF\"/m/*()*a.mp3\"\r\n\"/m/*()*b.mp3\"\r\n", {"a.mp3", "b.mp3"}},
        {"lone LF", "\"/m/*()*a.mp3\"\n\"/m/*()*b.mp3\"\n", {"a.mp3", "b.mp3"}},
        {"lone CR", "\"/m/*()*a.mp3\"\r\"/m/*()*b.mp3\"\r", {"a.mp3", "b.mp3"}},
        {"truncated last line", "\"/m/*()*a.mp3\"\r\n\"/m/*()*b.mp", {"a.mp3", "b.mp"}},
        {"binary garbage", garbage(4096), {}},
        // Blank lines, a record without separator in the middle, an unquoted comma (two fields).
        {"damage in the middle",
         "\"/a/*()*1.mp3\"\r\n\r\n   \r\n\"garbage\"\r\n/b/*()*2, 3.mp3\n\"/c/*()*4.mp3\"",
         {"1.mp3", "2", "4.mp3"}},
        {"10 MB line", huge, {QString(10 * 1024 * 1024, 'a') + ".mp3"}},
        {"latin-1 name", "\"/m/*()*caf\xE9.mp3\"\r\n", {QString::fromUtf8("caf\u00e9.mp3")}},
    };
}

class BadListTest : public CueTest {};

}  // namespace

TEST_F(BadListTest, OpenListKeepsTheCueOrTakesTheSongs) {
    for (const BadList& c : cases()) {
        SCOPED_TRACE(c.name);
        fill(f->lstPlaylist, {"keep1.mp3", "keep2.mp3"});
        const QString file = app.path() + "/bad.vlx";
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.bytes);
        out.close();
        app.ui.files.push_back({file});
        app.ui.messages.clear();
        f->cmdOpen_Click();
        if (c.songs.isEmpty()) {
            EXPECT_EQ(cue(), QStringList({"keep1.mp3", "keep2.mp3"}));
            EXPECT_EQ(app.ui.messages.size(), 1);  // the DJ is told why nothing changed
        } else {
            EXPECT_EQ(cue(), c.songs);
            EXPECT_TRUE(app.ui.messages.isEmpty());
        }
    }
}

TEST_F(BadListTest, AutoRecoverFromABadFileRestoresWhatItCan) {
    for (const BadList& c : cases()) {
        SCOPED_TRACE(c.name);
        f->lstPlaylist->Clear();
        writeBackup(c.bytes);
        Module1::LoadAutoRecover();
        EXPECT_EQ(cue(), c.songs);
        EXPECT_TRUE(app.ui.messages.isEmpty());
    }
}

TEST_F(BadListTest, AListThatVanishedOrIsUnreadableKeepsTheCue) {
    fill(f->lstPlaylist, {"keep.mp3"});
    app.ui.files.push_back({app.path() + "/nowhere.vlx"});
    f->cmdOpen_Click();
    EXPECT_EQ(cue(), QStringList({"keep.mp3"}));
    ASSERT_EQ(app.ui.messages.size(), 1);

    // A folder named like a list cannot be read, even by root (who reads every file).
    const QString locked = app.path() + "/folder.vlx";
    ASSERT_TRUE(QDir().mkpath(locked));
    app.ui.files.push_back({locked});
    f->cmdOpen_Click();
    EXPECT_EQ(cue(), QStringList({"keep.mp3"}));
    EXPECT_EQ(app.ui.messages.size(), 2);
}
