// Files of the more audio types, each carrying its own kind of tag, made by the
// ffmpeg tool: scanned, played, edited and saved.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSqlQuery>

#include "app/Module1.h"
#include "app/TagOptions.h"
#include "audio/Engine.h"
#include "library/NativeTag.h"
#include "library/Scanner.h"
#include "support/AudioRender.h"
#include "support/TempApp.h"
#include "windows/id3search.h"

namespace {

struct Type {
    const char* file;
    QStringList codec;  // ffmpeg arguments after the metadata
    const char* row;    // title|artist2|album|year|comment|genre as scanned ("~" for Null)
    bool ownTag;        // the editor writes the file's own tag
};

const QString kTitle = QStringLiteral("Ünïcode тест 東京");
const Type kTypes[] = {
    {"a.flac", {"-c:a", "flac"}, "Ünïcode тест 東京|Artist|Album|2001|Comment|Rock", true},
    {"b.ogg", {"-c:a", "libvorbis"}, "Ünïcode тест 東京|Artist|Album|2001|Comment|Rock", true},
    {"c.OGA", {"-c:a", "flac", "-f", "ogg"}, "Ünïcode тест 東京|Artist|Album|2001|Comment|Rock", true},
    {"d.opus", {"-c:a", "libopus"}, "Ünïcode тест 東京|Artist|Album|2001|Comment|Rock", true},
    {"e.m4a", {"-c:a", "aac"}, "Ünïcode тест 東京|Artist|Album|2001|Comment|Rock", true},
    {"f.aac", {"-c:a", "aac"}, "~|~|~|~|~|~", true},  // ADTS carries no tag: not writable
    {"g.mp3",
     {"-c:a", "libmp3lame", "-write_id3v1", "0"},
     "Ünïcode тест 東京|Artist|Album|2001|Comment|Rock",
     false},
    // ffmpeg puts a WMA comment in an attribute of its own, where players do not look.
    {"h.wma",
     {"-c:a", "wmav2", "-metadata", "WM/Year=2001"},
     "Ünïcode тест 東京|Artist|Album|2001||Rock",
     false},
};
constexpr double kSeconds = 2.0;

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The frames after FLAC's metadata blocks: what a tag save must not touch.
QByteArray flacAudio(const QByteArray& b) {
    qsizetype at = 4;  // "fLaC"
    for (bool last = false; !last && at + 4 <= b.size();
         at += 4 + ((uchar(b[at + 1]) << 16) | (uchar(b[at + 2]) << 8) | uchar(b[at + 3])))
        last = uchar(b[at]) & 0x80;
    return b.mid(at);
}

// Seconds the engine plays the file for, offline (-1: it would not open).
double played(const QString& path) {
    audio::Engine engine(audio::Engine::Offline{48000});
    audio::Deck* deck = engine.addDeck();
    std::string error;
    if (!deck->open(path.toStdString(), error)) return -1;
    deck->play();
    return Render(engine, 5, nullptr, deck).endPosition;
}

struct MoreTypes : ::testing::Test {
    TempApp app;
    QString dir = app.path() + "/";
    MoreTypes() {
        for (const Type& t : kTypes) {
            QStringList args = {"-v",  "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=2",
                                "-ac", "2"};
            for (const char* kv :
                 {"artist=Artist", "album=Album", "date=2001", "comment=Comment", "genre=Rock"})
                args << "-metadata" << kv;
            args << "-metadata"
                 << "title=" + kTitle << t.codec << dir + t.file;
            EXPECT_EQ(QProcess::execute("ffmpeg", args), 0) << t.file;
        }
    }
};

}  // namespace

TEST_F(MoreTypes, AreScannedPlayedAndEditedInTheirOwnTag) {
    // With the options off, only the older types go in, untagged.
    Options::Set(Options::MoreAudioTypes, false);
    Options::Set(Options::ReadAllTagFormats, false);
    Module1::ScanFolder(dir);
    EXPECT_EQ(app.rows(dir, "artist, title"), QStringList({"g.mp3|~", "h.wma|~"}));
    const QString columns = "title, artist2, album, year, comment, genre";
    Options::Set(Options::MoreAudioTypes, true);
    Options::Set(Options::ReadAllTagFormats, true);
    Module1::ScanFolder(dir);
    QStringList expected;
    for (const Type& t : kTypes) expected << t.row;
    EXPECT_EQ(app.rows(dir, columns).join('\n').toStdString(), expected.join('\n').toStdString());

    id3search& w = Windows::Load<id3search>();
    w.cmdListAll_Click();
    for (int i = 0; i < int(std::size(kTypes)); ++i) {
        const Type& t = kTypes[i];
        SCOPED_TRACE(t.file);
        EXPECT_NEAR(played(dir + t.file), kSeconds, 0.05);
        if (!t.ownTag) continue;
        const QByteArray before = bytes(dir + t.file);
        w.lstresults->ClearSelection();
        w.lstresults->SetSelectedItem(i + 1);
        w.cmdEdit_Click();
        EXPECT_EQ(w.txtTitle->text(), QString(t.row).section('|', 0, 0).replace("~", ""));
        w.txtTitle->setText(" Новый ");
        w.cmbGenre->setEditText("Jazz");
        w.cmdSave_Click();
        const QByteArray after = bytes(dir + t.file);
        NativeTag::Fields f;
        if (QString(t.file).endsWith("aac")) {
            EXPECT_EQ(app.ui.lastText(), "Velumix cannot save tag information. The file may be Read Only");
            EXPECT_EQ(after, before);
            EXPECT_EQ(app.rows(dir, columns)[i].toStdString(), t.row);
            continue;
        }
        EXPECT_TRUE(NativeTag::Read(dir + t.file, f));
        EXPECT_EQ(f.title + "|" + f.genre + "|" + f.artist, "Новый|Jazz|Artist");
        EXPECT_EQ(app.rows(dir, columns)[i].toStdString(), "Новый|Artist|Album|2001|Comment|Jazz");
        EXPECT_NE(after.right(128).left(3), "TAG");
        if (i == 0) EXPECT_EQ(flacAudio(after), flacAudio(before));
    }
}
