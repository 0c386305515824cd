// List files from the wild: odd line ends, a byte order mark, a cut-off last
// line, binary garbage and huge lines. Nothing may crash, the cue the DJ has
// lined up must never be lost to a bad file, and a file with songs in it must
// give up its songs.

#include <QDir>

#include "support/CueFixture.h"

// Each file through both entry points that read a list: Open List and the
// auto-recover load (the backup file serves as the list opened). That names
// and folders of every kind come back from a saved list is the cue tests' check.
TEST_F(CueTest, OpenListAndAutoRecoverTakeTheSongsOrKeepTheCue) {
    QByteArray garbage;
    for (uint32_t x = 2463534242u; garbage.size() < 4096;)
        garbage += char((x = x * 1664525u + 1013904223u) >> 24);
    garbage.replace('*', 'x');  // no accidental separators
    const QByteArray huge = "\"/m/*()*" + QByteArray(10 * 1024 * 1024, 'a') + ".mp3\"\r\n";
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList songs;  // what the cue must hold after opening; empty: the cue stays as it was
    } cases[] = {
        {"bom", "\xEF\xBB\xBF\"/m/*()*a.mp3\"\r\n\"/m/*()*b.mp3\"\r\n", {"a.mp3", "b.mp3"}},
        {"lone LF", "\"/m/*()*a.mp3\"\n\"/m/*()*b.mp3\"\n", {"a.mp3", "b.mp3"}},
        {"lone CR", "\"/m/*()*a.mp3\"\r\"/m/*()*b.mp3\"\r", {"a.mp3", "b.mp3"}},
        {"truncated last line", "\"/m/*()*a.mp3\"\r\n\"/m/*()*b.mp", {"a.mp3", "b.mp"}},
        {"binary garbage", garbage, {}},
        // Blank lines, a record without separator in the middle, an unquoted comma (two fields).
        {"damage in the middle",
         "\"/a/*()*1.mp3\"\r\n\r\n   \r\n\"garbage\"\r\n/b/*()*2, 3.mp3\n\"/c/*()*4.mp3\"",
         {"1.mp3", "2", "4.mp3"}},
        // A doubled quote is a quote of the name; an unquoted record is trimmed of
        // spaces only; after a closing quote the rest up to a comma is dropped.
        {"quoting",
         "\"/m/*()*a \"\"q\"\", b\"\r\n  /m/*()*c d \t \r\n\"/m/*()*e\" junk,\"/m/*()*f\"\r\n",
         {"a \"q\", b", "c d \t", "e", "f"}},
        {"10 MB line", huge, {QString(10 * 1024 * 1024, 'a') + ".mp3"}},
        {"one record in a Windows code page",
         "\"/m/*()*Caf\xC3\xA9.mp3\"\r\n\"/m/*()*caf\xE9.mp3\"\r\n",
         {QString::fromUtf8("Caf\u00e9.mp3"), QString::fromUtf8("caf\u00e9.mp3")}},
        {"unquoted record with a quote, as earlier versions wrote it",
         "/m/*()*say \"hi\".mp3\r\n",
         {"say \"hi\".mp3"}},
        // No file at all, and a folder by the list's name, which even root (who
        // reads every file) cannot read; the folder stays, so it comes last.
        {"no file", QByteArray(), {}},
        {"a folder", "<folder>", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Module1::AutoRecoverFile());
        if (c.bytes == "<folder>")
            ASSERT_TRUE(QDir().mkpath(Module1::AutoRecoverFile()));
        else if (!c.bytes.isNull())
            writeBackup(c.bytes);
        fill(f->lstPlaylist, {"keep1.mp3", "keep2.mp3"});
        app.ui.files.push_back({Module1::AutoRecoverFile()});
        app.ui.messages.clear();
        f->cmdOpen_Click();
        EXPECT_EQ(cue(), c.songs.isEmpty() ? QStringList({"keep1.mp3", "keep2.mp3"}) : c.songs);
        EXPECT_EQ(app.ui.messages.size(), c.songs.isEmpty() ? 1 : 0);  // the DJ is told why nothing changed
        f->lstPlaylist->Clear();
        Module1::LoadAutoRecover();
        EXPECT_EQ(cue(), c.songs);
        EXPECT_EQ(app.ui.messages.size(), c.songs.isEmpty() ? 1 : 0) << "the load says nothing";
    }
}
