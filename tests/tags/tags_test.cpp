// Files of the more audio types, each carrying its own kind of tag, made by the
// ffmpeg tool: scanned, played, edited and saved.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "app/Module1.h"
#include "app/TagOptions.h"
#include "library/ID3Tag.h"
#include "library/NativeTag.h"
#include "support/AudioRender.h"
#include "support/TempApp.h"
#include "windows/id3search.h"

namespace {

// title|artist2|album|year|comment|genre as scanned from a full tag ("~" for Null);
// the title is longer than an ID3v1 tag holds, which no own tag may cut.
constexpr const char* kFull = "Ünïcode тест 東京, past thirty letters|Artist|Album|2001|Comment|Rock";
// ffmpeg puts a WMA comment in an attribute of its own, where players do not look.
constexpr const char* kWma = "Ünïcode тест 東京, past thirty letters|Artist|Album|2001||Rock";

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
        // Every field changes, the title to one longer than ID3v1 holds; its spaces go.
        w.txtTitle->setText(" Новый, and past thirty letters too ");
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
        const QString edited = "Новый, and past thirty letters too|Другой|Second|1999|Notes|Jazz";
        EXPECT_EQ(QStringList({f.title, f.artist, f.album, f.year, f.comment, f.genre}).join('|'), edited);
        ID3Tag::ID3v1Tag v1;
        EXPECT_FALSE(ID3Tag::ReadID3Tag(dir + t.file, v1)) << "nor an ID3v1 tag added beside it";
    }
    // Every file still plays whole after the saves.
    for (const Type& t : kTypes) {
        audio::Engine engine(audio::Engine::Offline{48000});
        audio::Deck* deck = PlayOn(engine, (dir + t.file).toStdString());
        EXPECT_NEAR(Render(engine, 5, nullptr, deck).endPosition, 2.0, 0.05) << t.file;
    }
}

namespace {

QByteArray bytesOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kCafe = QString::fromUtf8("Café Déjà Vu");
const QString k39 = "A Title Of Exactly Thirty-Nine Letters.";

// One file made by ffmpeg, what the scan stores of it, and what a save in
// the tag window leaves in the file's tags and in the library.
struct TagFile {
    const char* file;
    QStringList made;        // ffmpeg arguments after the metadata (title, artist, album)
    QStringList metadata;    // title, artist, album
    QString scanned;         // title|artist|album as scanned, ID3v1 padding cut off
    QString typed;           // the title typed in the editor
    bool asks = false;       // the save first asks whether to shorten
    QString ownTitle = "-";  // the title in the file's own tag after the save ("-": none)
    const char* v1 = "";     // the ID3v1 title after the save, as bytes ("": no ID3v1 tag)
};

const QStringList kMp3{"-c:a", "libmp3lame"};
const QStringList kV1 = kMp3 + QStringList{"-id3v2_version", "0", "-write_id3v1", "1"};
const QStringList kBoth = kMp3 + QStringList{"-write_id3v1", "1"};
const QStringList kV23 = kMp3 + QStringList{"-id3v2_version", "3"};
const QStringList kV24 = kMp3 + QStringList{"-id3v2_version", "4"};
const QStringList kAbout{kCafe, "Aurora", "Best"}, kLong{k39, "Aurora", "Best"};
const QString kCafeRow = kCafe + "|Aurora|Best", kLongRow = k39 + "|Aurora|Best";
constexpr const char* kCut = "A Title Of Exactly Thirty-Nine";

// In the order of their names, which is the scan's and List All's.
const TagFile kFiles[] = {
    // ID3v2 has no album; its ID3v1 tag is rewritten below to disagree.
    {"both.mp3", kBoth, {kCafe, "Aurora", ""}, kCafe + "|Aurora|V1 Album", "Neu", false, "Neu", "Neu"},
    {"long.mp3", kBoth, kLong, kLongRow, "Neu", false, "Neu", "Neu"},
    {"utf8v1.mp3", kV1, kAbout, kCafeRow, "Neu", false, "-", "Neu"},
    {"v1.mp3", kV1, {"Plain", "Aurora", "Best"}, "Plain|Aurora|Best", k39, true, "-", kCut},
    {"v23.mp3", kV23, kAbout, kCafeRow, "Neu", false, "Neu", "Neu"},
    {"v24.mp3", kV24, kAbout, kCafeRow, k39, false, k39, kCut},
};

}  // namespace

// The richer tag wins on a scan and a save keeps every field whole wherever
// the file can hold it; all through the real scanner and the tag window.
TEST(Mp3Tags, TheRicherTagWinsAndSavesKeepEveryField) {
    TempApp app;
    const QString dir = app.path() + "/";
    for (const TagFile& t : kFiles) {
        QStringList args = {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=0.5"};
        // ffmpeg's ID3v1 writer looks for the ID3v2 frame names only.
        const QStringList keys{"TIT2", "TPE1", "TALB"};
        for (int k = 0; k < 3; ++k)
            if (!t.metadata[k].isEmpty()) args << "-metadata" << keys[k] + "=" + t.metadata[k];
        ASSERT_EQ(QProcess::execute("ffmpeg", args << t.made << dir + t.file), 0) << t.file;
    }
    ID3Tag::ID3v1Tag disagreeing{"TAG",  "Old Title", "Old Artist",      "V1 Album",
                                 "1999", "",          QString(QChar(17))};
    ASSERT_TRUE(ID3Tag::WriteID3Tag(dir + "both.mp3", disagreeing));
    const QString columns = "title, artist2, album";
    // ID3v1 padding (NULs or spaces) cut off each field of a row.
    auto unpadded = [](const QString& row) {
        QStringList fields = row.split('|');
        for (QString& f : fields) f = f.left(f.indexOf(QChar(0))).trimmed();
        return fields.join('|');
    };

    // With every format off, the ID3v1 tag as it lies, in its code page.
    Options::Set(Options::ReadAllTagFormats, false);
    Module1::ScanFolder(dir);
    EXPECT_EQ(app.rows(dir, "title").mid(0, 3),
              QStringList({"Old Title" + QString(21, ' '), kCut,
                           QString::fromUtf8("CafÃ© DÃ©jÃ\u00a0 Vu") + QString(15, QChar(0))}));

    Options::Set(Options::ReadAllTagFormats, true);
    Module1::ScanFolder(dir);
    id3search& w = Windows::Load<id3search>();
    w.cmdListAll_Click();  // by file name: the order of kFiles
    for (int i = 0; i < int(std::size(kFiles)); ++i) {
        const TagFile& t = kFiles[i];
        SCOPED_TRACE(t.file);
        EXPECT_EQ(unpadded(app.rows(dir, columns).value(i)), t.scanned);
        w.lstresults->SetSelectedItem(i + 1);
        w.cmdEdit_Click();
        EXPECT_EQ(w.txtTitle->text() + "|" + w.txtArtist->text() + "|" + w.txtAlbum->text(), t.scanned);
        w.txtTitle->setText(t.typed);
        const QByteArray before = bytesOf(dir + t.file);
        const qsizetype asked = app.ui.messages.size();
        if (t.asks) {
            app.ui.answers = {Seams::Answer::No, Seams::Answer::Yes};
            w.cmdSave_Click();
            EXPECT_EQ(bytesOf(dir + t.file), before) << "No saves nothing";
            EXPECT_FALSE(w.cmdSave->isHidden()) << "and stays in the edit";
        }
        w.cmdSave_Click();
        EXPECT_EQ(app.ui.messages.size() - asked, t.asks ? 2 : 0);
        if (t.asks) {
            EXPECT_EQ(app.ui.messages.last().text,
                      "This file's tag holds only the start of: Title (30 characters). Save them shortened?");
        }
        NativeTag::Fields own;
        EXPECT_EQ(NativeTag::ReadId3v2(dir + t.file, own) ? own.title : "-", t.ownTitle);
        ID3Tag::ID3v1Tag v1;
        EXPECT_EQ(ID3Tag::ReadID3Tag(dir + t.file, v1) ? v1.Title.trimmed() : "", QString(t.v1));
    }
    // An ID3v2.3 tag stays 2.3, so players that read only that still find it.
    EXPECT_EQ(bytesOf(dir + "v23.mp3").left(4), QByteArray("ID3\x03"));

    // A file that cannot be written stays byte-identical, with the reason.
    QFile::setPermissions(dir + "v24.mp3", QFile::ReadOwner);
    const QByteArray before = bytesOf(dir + "v24.mp3");
    w.lstresults->SetSelectedItem(6);
    w.cmdEdit_Click();
    w.txtTitle->setText("Lost");
    w.cmdSave_Click();
    EXPECT_EQ(bytesOf(dir + "v24.mp3"), before);
    EXPECT_EQ(app.ui.lastText(), "Velumix cannot save tag information. The file may be Read Only");
}
