// The pieces of the list files and of other players' play lists. Line ends,
// byte order marks, quoting and damaged .vlx files are read through the
// program's entry points in hardening/bad_lists_test.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include "library/ListFile.h"
#include "library/PlaylistFormats.h"
#include "support/SetupFolders.h"

using namespace PlaylistFormats;

TEST(ListFile, RecordBytesAndSplittingAfterTheFolderSeparator) {
    // Quoted, and an inner quote doubled where the name could not be read back whole without.
    EXPECT_EQ(ListFile::Record("/m/*()*Bj\xC3\xB6rk") + ListFile::Record("/m/*()*\"a\", b"),
              QByteArray("\"/m/*()*Bj\xC3\xB6rk\"\r\n\"/m/*()*\"\"a\"\", b\"\r\n"));
    const std::pair<QString, QString> cases[] = {
        {"/music/*()*a*()*b.mp3", "/music/|a*()*b.mp3"},
        {"C:\\odd*()*dir\\*()*x.mp3", "C:\\odd*()*dir\\|x.mp3"},
        {"rel*()*x*()*y", "rel|x*()*y"},  // no separator follows a slash: the first
        {"*()*", "|"},
    };
    QString path, name;
    for (const auto& [field, parts] : cases)
        EXPECT_EQ(ListFile::Split(field, path, name) ? path + "|" + name : "-", parts);
}

// Every format, absolute and relative, with the characters lists get wrong.
TEST(PlaylistFormats, RoundTripKeepsAwkwardNames) {
    QTemporaryDir tmp;
    const QString listDir = tmp.path() + "/lists";
    // Beside the list: "ab:c.mp3" must not read as a URL.
    QList<Song> songs = {{MusicFolder(tmp.path(), "lists", {"ab:c.mp3"}), "ab:c.mp3"}};
    const QStringList names = {"a b.mp3", "#1 & <2>.wav", "say \"hi\" 'x'.mp3",
                               QString::fromUtf8("\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.wma"),
                               "50% ;?:x.mp3"};
    const QString music = MusicFolder(tmp.path(), "My Music", names);
    for (const QString& n : names) songs.append({music, n});
    for (Format f : {Format::M3U, Format::M3U8, Format::PLS, Format::XSPF})
        for (bool relative : {false, true}) {
            const QString file = listDir + "/l." + QStringList{"m3u", "m3u8", "pls", "xspf"}[int(f)];
            ASSERT_TRUE(ListFile::WriteAtomically(file, Write(f, songs, listDir, relative)));
            EXPECT_EQ(Import(file, false).songs, songs) << file.toStdString() << relative;
        }
}

// The bytes other players read, for one cue: a tagged song of known length
// and one the program knows nothing about. XSPF must also satisfy xmllint.
TEST(PlaylistFormats, ExportWritesLengthsAndTags) {
    const QList<Song> songs = {{"/m/", "a b.mp3", {"Ann", "Song & <Dance>", "LP", 200.4}},
                               {"/m/", "x.y.wav", {"", "Lone", "", -1}}};
    const std::pair<Format, QByteArray> want[] = {
        {Format::M3U, "#EXTM3U\n#EXTINF:200,Ann - Song & <Dance>\n/m/a b.mp3\n#EXTINF:-1,x.y\n/m/x.y.wav\n"},
        {Format::PLS,
         "[playlist]\nFile1=/m/a b.mp3\nTitle1=Ann - Song & <Dance>\nLength1=200\n"
         "File2=/m/x.y.wav\nTitle2=x.y\nLength2=-1\nNumberOfEntries=2\nVersion=2\n"},
        {Format::XSPF,
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n    <trackList>\n"
         "        <track>\n            <location>file:///m/a%20b.mp3</location>\n"
         "            <title>Song &amp; &lt;Dance&gt;</title>\n            <creator>Ann</creator>\n"
         "            <album>LP</album>\n            <duration>200400</duration>\n        </track>\n"
         "        <track>\n            <location>file:///m/x.y.wav</location>\n"
         "            <title>Lone</title>\n        </track>\n    </trackList>\n</playlist>\n"},
    };
    for (const auto& [format, bytes] : want) EXPECT_EQ(Write(format, songs, "/m", false), bytes);
    QTemporaryDir tmp;
    ASSERT_TRUE(ListFile::WriteAtomically(tmp.path() + "/l.xspf", want[2].second));
    EXPECT_EQ(QProcess::execute("xmllint", {"--noout", tmp.path() + "/l.xspf"}), 0);
}

// Lists written by hand or by other players: relative and absolute paths,
// Windows separators, Windows-1252 names in .m3u and .pls, URLs and missing
// files counted, titles not used as names, either line ending.
TEST(PlaylistFormats, ReadsHandWrittenLists) {
    QTemporaryDir tmp;
    const QString d = tmp.path(), cafe = QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x9D.mp3");
    const QList<Song> want = {{MusicFolder(d, "sub", {cafe}), cafe},
                              {MusicFolder(d, "abs dir", {"two two.wav"}), "two two.wav"}};
    const QByteArray abs = QFile::encodeName(d + "/abs dir/two two.wav");
    const std::pair<const char*, QByteArray> lists[] = {
        {"M3U", "#EXTM3U\r\n#EXTINF:123,Shown\r\nsub/caf\xE9 \x80\x94.mp3\r\n\r\nhttp://radio/x\r\n" + abs +
                    " \r\ngone.mp3\r\n"},
        {"m3u8",
         "\xEF\xBB\xBF#EXTM3U\nsub\\" + cafe.toUtf8() + "\nhttps://x/y.mp3\n" + abs + "\n./gone.mp3\n"},
        {"pls", "[playlist]\nFile2=" + abs +
                    "\nTitle1=T\nFile1=sub/caf\xE9 \x80\x94.mp3\nFile3=mms://a\nFile4=gone\nVersion=2\n"},
        {"xspf",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
         "xmlns=\"http://xspf.org/ns/0/\"><trackList>\n<track><title>T</title><location>sub/" +
             QUrl::toPercentEncoding(cafe) + "</location></track>\n<track><location>file://" +
             QUrl::toPercentEncoding(QString::fromLocal8Bit(abs), "/") +
             "</location></track>\n<track><location>http://a/b</location></track>\n"
             "<track><location>gone%20too.mp3</location></track></trackList></playlist>\n"},
    };
    for (const auto& [ext, text] : lists) {
        const QString file = d + "/list." + ext;
        ASSERT_TRUE(ListFile::WriteAtomically(file, text));
        const Imported in = Import(file, false);
        EXPECT_EQ(in.songs, want) << ext;
        EXPECT_EQ(QList<int>({in.urls, in.missing}), QList<int>({1, 1})) << ext;
    }
    EXPECT_FALSE(Import(d + "/none.m3u", false).error.isEmpty());
}
