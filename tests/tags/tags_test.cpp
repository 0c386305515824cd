// Files of the more audio types, each carrying its own kind of tag, made by the
// ffmpeg tool: scanned, played, edited and saved.
#include <gtest/gtest.h>

#include <QProcess>

#include "app/Module1.h"
#include "app/TagOptions.h"
#include "library/NativeTag.h"
#include "support/AudioRender.h"
#include "support/TempApp.h"
#include "windows/id3search.h"

namespace {

// title|artist2|album|year|comment|genre as scanned from a full tag ("~" for Null)
constexpr const char* kFull = "Ünïcode тест 東京|Artist|Album|2001|Comment|Rock";
// ffmpeg puts a WMA comment in an attribute of its own, where players do not look.
constexpr const char* kWma = "Ünïcode тест 東京|Artist|Album|2001||Rock";

struct Type {
    const char* file;
    QStringList codec;        // ffmpeg arguments after the metadata
    bool ownTag = true;       // the editor writes the file's own tag
    const char* row = kFull;  // as scanned
};

const Type kTypes[] = {
    {"a.flac", {"-c:a", "flac"}},
    {"b.ogg", {"-c:a", "libvorbis"}},
    {"c.OGA", {"-c:a", "flac", "-f", "ogg"}},
    {"d.opus", {"-c:a", "libopus"}},
    {"e.m4a", {"-c:a", "aac"}},
    {"f.aac", {"-c:a", "aac"}, true, "~|~|~|~|~|~"},  // ADTS carries no tag: not writable
    {"g.mp3", {"-c:a", "libmp3lame", "-write_id3v1", "0"}, false},
    {"h.wma", {"-c:a", "wmav2", "-metadata", "WM/Year=2001"}, false, kWma},
};

}  // namespace

TEST(MoreTypes, AreScannedPlayedAndEditedInTheirOwnTag) {
    TempApp app;
    const QString dir = app.path() + "/";
    const QStringList keys{"title", "artist", "album", "date", "comment", "genre"};
    for (const Type& t : kTypes) {
        QStringList args = {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=2"};
        for (int k = 0; k < 6; ++k) args << "-metadata" << keys[k] + "=" + QString(kFull).section('|', k, k);
        ASSERT_EQ(QProcess::execute("ffmpeg", args << t.codec << dir + t.file), 0) << t.file;
    }
    // With the options off, only the older types go in, untagged.
    Options::Set(Options::MoreAudioTypes, false);
    Options::Set(Options::ReadAllTagFormats, false);
    Module1::ScanFolder(dir);
    EXPECT_EQ(app.rows(dir, "artist, title"), QStringList({"g.mp3|~", "h.wma|~"}));
    const QString columns = "title, artist2, album, year, comment, genre";
    Options::Set(Options::MoreAudioTypes, true);
    Options::Set(Options::ReadAllTagFormats, true);
    Module1::ScanFolder(dir);

    id3search& w = Windows::Load<id3search>();
    w.cmdListAll_Click();
    for (int i = 0; i < int(std::size(kTypes)); ++i) {
        const Type& t = kTypes[i];
        SCOPED_TRACE(t.file);
        EXPECT_EQ(app.rows(dir, columns).value(i).toStdString(), t.row);
        if (!t.ownTag) continue;
        w.lstresults->SetSelectedItem(i + 1);
        w.cmdEdit_Click();
        // Every field changes; the title's spaces go.
        w.txtTitle->setText(" Новый ");
        w.txtArtist->setText("Другой");
        w.txtAlbum->setText("Second");
        w.txtYear->setText("1999");
        w.txtComment->setText("Notes");
        w.cmbGenre->setEditText("Jazz");
        w.cmdSave_Click();
        if (QString(t.file).endsWith("aac")) {
            EXPECT_EQ(app.ui.lastText(), "Velumix cannot save tag information. The file may be Read Only");
            continue;
        }
        NativeTag::Fields f;
        NativeTag::Read(dir + t.file, f);
        const QString edited = "Новый|Другой|Second|1999|Notes|Jazz";
        EXPECT_EQ(QStringList({f.title, f.artist, f.album, f.year, f.comment, f.genre}).join('|'), edited);
        EXPECT_EQ(app.rows(dir, columns)[i], edited);
    }
    // Every file still plays whole after the saves.
    for (const Type& t : kTypes) {
        audio::Engine engine(audio::Engine::Offline{48000});
        audio::Deck* deck = engine.addDeck();
        std::string error;
        ASSERT_TRUE(deck->open((dir + t.file).toStdString(), error)) << t.file;
        deck->play();
        EXPECT_NEAR(Render(engine, 5, nullptr, deck).endPosition, 2.0, 0.05) << t.file;
    }
}
