#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include "library/PlaylistFormats.h"

using namespace PlaylistFormats;

namespace {

void put(const QString& file, const QByteArray& bytes = {}) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

// Every format, absolute and relative, with the characters lists get wrong.
TEST(PlaylistFormats, RoundTripKeepsAwkwardNames) {
    QTemporaryDir tmp;
    const QString music = tmp.path() + "/My Music/";
    const QString other = tmp.path() + "/lists/";  // beside the list: "ab:c.mp3" must not read as a URL
    QList<Song> songs;
    for (const char* name : {"a b.mp3", "#1 & <2>.wav", "say \"hi\" 'x'.mp3",
                             "\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.wma", "50% ;?:x.mp3"})
        songs.append({music, QString::fromUtf8(name)});
    songs.append({other, "ab:c.mp3"});
    for (const Song& s : songs) put(s.folder + s.name);
    const QString listDir = tmp.path() + "/lists";
    for (Format f : {Format::M3U, Format::M3U8, Format::PLS, Format::XSPF})
        for (bool relative : {false, true}) {
            const QString file = listDir + "/l." + QStringList{"m3u", "m3u8", "pls", "xspf"}[int(f)];
            put(file, Write(f, songs, listDir, relative));
            const Imported in = Import(file);
            EXPECT_EQ(in.songs, songs) << file.toStdString() << relative;
            EXPECT_EQ(in.missing + in.urls, 0);
        }
}

// Lists written by hand or by other players, with either line ending: relative
// and absolute paths, URLs and missing files counted, titles not used as names.
TEST(PlaylistFormats, ReadsHandWrittenListsWithLfAndCrLf) {
    QTemporaryDir tmp;
    const QString d = tmp.path();
    put(d + "/sub/one.mp3");
    put(d + "/two two.wav");
    const QByteArray abs = QFile::encodeName(d + "/two two.wav");
    const struct {
        const char* ext;
        QByteArray text;
    } lists[] = {
        {"m3u", "#EXTM3U\n#EXTINF:123,Shown Title\nsub/one.mp3\n\nhttp://radio/x\n" + abs + "\ngone.mp3\n"},
        {"m3u8", "\xEF\xBB\xBF#EXTM3U\nsub\\one.mp3\nhttps://x/y.mp3\n" + abs + "\n./gone.mp3\n"},
        {"pls", "[playlist]\nFile2=" + abs +
                    "\nTitle1=T\nFile1=sub/one.mp3\nFile3=mms://a\nFile4=gone\nVersion=2\n"},
        {"xspf",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
         "xmlns=\"http://xspf.org/ns/0/\">"
         "<trackList>\n<track><title>T</title><location>sub/one.mp3</location></track>\n"
         "<track><location>file://" +
             QUrl::toPercentEncoding(QString::fromLocal8Bit(abs), "/") +
             "</location></track>\n<track><location>http://a/b</location></track>\n"
             "<track><location>gone%20too.mp3</location></track></trackList></playlist>\n"},
    };
    const QList<Song> want = {{d + "/sub/", "one.mp3"}, {d + "/", "two two.wav"}};
    for (const auto& l : lists)
        for (const bool crlf : {false, true}) {
            const QString file = d + "/list." + l.ext;
            put(file, crlf ? QByteArray(l.text).replace("\n", "\r\n") : l.text);
            const Imported in = Import(file);
            EXPECT_EQ(in.songs, want) << l.ext << crlf;
            EXPECT_EQ(in.urls, 1) << l.ext;
            EXPECT_EQ(in.missing, 1) << l.ext;
        }
}

TEST(PlaylistFormats, M3uFallsBackToWindows1252AndM3u8StaysUtf8) {
    const QString cafe = QString::fromUtf8("caf\xC3\xA9.mp3");
    for (const auto& [format, bytes] : {std::pair{Format::M3U, "caf\xE9.mp3\n"},
                                        {Format::M3U, "caf\xC3\xA9.mp3\n"},
                                        {Format::M3U8, "caf\xC3\xA9.mp3\n"}})
        EXPECT_EQ(Parse(format, bytes).value(0).location, cafe) << bytes;
    EXPECT_EQ(FormatOf("/x/A.M3U8"), Format::M3U8);
    EXPECT_EQ(FormatOf("/x/a.vlx"), std::nullopt);
    EXPECT_FALSE(Import("/nonexistent/a.m3u").error.isEmpty());
}
