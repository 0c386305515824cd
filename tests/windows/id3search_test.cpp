#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "support/CueFixture.h"
#include "support/TempApp.h"
#include "windows/id3search.h"

namespace {

// An audio file of `audio` bytes, followed by a tag (genre Rock) when a title is given.
void writeSong(const QString& file, int audio, const char* title = nullptr) {
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(audio, 'x'));
    if (title) f.write("TAG" + QByteArray(title).leftJustified(124, ' ') + char(17));
}

QByteArray lastTag(const QString& file) {
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll().right(128);
}

// Lists everything and selects the song with the given file name.
void select(id3search& w, const QString& name) {
    w.cmdListAll_Click();
    for (int i = 1; i <= w.lstresults->Count(); ++i)
        if (w.lstresults->SubItem(i, 7) == name) {
            w.lstresults->ClearSelection();
            w.lstresults->SetSelectedItem(i);
            return;
        }
    ADD_FAILURE() << "no row for " << name.toStdString();
}

void setFields(id3search& w, const QString& title, const QString& year = "", const QString& genre = "") {
    w.txtTitle->setText(title);
    w.txtYear->setText(year);
    w.cmbGenre->setEditText(genre);
}

}  // namespace

TEST(TagSearch, BuildsTheSearchStatement) {
    const QString base = "Select * from songs where ";
    EXPECT_EQ(id3search::SearchStatement({"", "", "", "", "", ""}), "");
    EXPECT_EQ(id3search::SearchStatement({"it's", "", "", "", "", ""}), base + " title like '%it''s%'");
    EXPECT_EQ(id3search::SearchStatement({"love", "", "", "", "", "Rock"}),
              base + " title like '%love%' and genre like '%Rock%'");
    EXPECT_EQ(
        id3search::SearchStatement({"", "x", "y", "2001", "c", ""}),
        base + " artist2 like '%x%' and album like '%y%' and year like '%2001%' and comment like '%c%'");
}

TEST(TagSearch, SearchesListsAndCounts) {
    TempApp app;
    app.addSong("a.mp3", "/m/", "it's over");
    app.addSong("b.mp3", "/m/", "its fine");
    app.addSong("z.mp3", "/m/", "Padded" + QString(24, QChar(0)));
    id3search& w = Windows::Load<id3search>();
    EXPECT_EQ(w.cmbGenre->currentText(), "");  // no genre criterion until one is typed

    w.cmdListAll_Click();
    EXPECT_EQ(w.lblTotalsongs->text(), "Total Songs Found: 3");
    EXPECT_TRUE(w.lstresults->SelectedItem() == 1 && w.lstresults->Selected(1)) << "a fresh listing";
    EXPECT_EQ(w.lstresults->SubItem(3, 1), "Padded");
    // Without a selected row there is no file to edit: still browsing.
    w.lstresults->ClearSelection();
    w.cmdEdit_Click();
    EXPECT_TRUE(w.cmdEdit->isEnabled());

    // Blank criteria (only spaces) run nothing and keep the list.
    setFields(w, "   ", " ", " ");
    w.cmdSearch_Click();
    EXPECT_EQ(w.lstresults->Count(), 3);

    setFields(w, " it's ");
    w.cmdSearch_Click();
    ASSERT_EQ(w.lstresults->Count(), 1);
    EXPECT_EQ(w.lstresults->SubItem(1, 1), "it's over");

    setFields(w, "nothing like this");
    w.cmdSearch_Click();
    EXPECT_EQ(w.lstresults->Count(), 0);
    EXPECT_EQ(w.lblTotalsongs->text(), "Total Songs Found: 0");
}

// A failed save changes nothing and the next one stands alone; texts go to
// the library trimmed and to the file at the tag's field widths.
TEST(TagSearch, SavingOverwritesOrAppendsATag) {
    TempApp app;
    const QString d = app.path() + "/";
    writeSong(d + "locked.mp3", 500, "Locked");
    QFile::setPermissions(d + "locked.mp3", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    writeSong(d + "tagged.mp3", 1000, "Old Title");
    writeSong(d + "plain.mp3", 1000);
    writeSong(d + "Song.mp3", 200, "Upper");
    writeSong(d + "song.mp3", 200, "Lower");
    app.addSong("locked.mp3", d, "Locked");
    for (const char* n : {"tagged.mp3", "plain.mp3", "Song.mp3", "song.mp3"}) app.addSong(n, d);
    id3search& w = Windows::Load<id3search>();
    const auto title = [&](const char* n) {
        return app.scalar(QString("SELECT title FROM songs WHERE artist='%1' COLLATE BINARY").arg(n));
    };

    select(w, "locked.mp3");
    w.cmdEdit_Click();
    w.txtTitle->setText("Changed");
    w.cmdSave_Click();
    EXPECT_EQ(app.ui.lastText(), "Velumix cannot save tag information. The file may be Read Only");
    EXPECT_EQ(title("locked.mp3"), "Locked");
    EXPECT_TRUE(lastTag(d + "locked.mp3").startsWith("TAGLocked "));
    EXPECT_EQ(w.lstresults->SubItem(w.lstresults->SelectedItem(), 1), "Locked");
    EXPECT_TRUE(w.cmdEdit->isEnabled());  // back in browse mode

    select(w, "tagged.mp3");
    w.cmdEdit_Click();
    EXPECT_EQ(w.txtTitle->text().trimmed(), "Old Title");  // from the file, not the row
    EXPECT_EQ(w.cmbGenre->currentText(), "Rock");
    EXPECT_FALSE(w.lstresults->isEnabled());  // the row cannot change while editing
    // The genre is trimmed before its lookup ("Noise " is 39, not "Other").
    setFields(w, " A title longer than thirty characters ", "2001 ", "Noise ");
    w.cmdSave_Click();
    EXPECT_EQ(QFileInfo(d + "tagged.mp3").size(), 1128);
    const QByteArray tag = lastTag(d + "tagged.mp3");
    EXPECT_EQ(tag.mid(3, 30), " A title longer than thirty ch");
    EXPECT_EQ(tag.mid(93, 4), "2001");
    EXPECT_EQ(static_cast<unsigned char>(tag[127]), 39);
    EXPECT_EQ(app.scalar("SELECT genre || '|' || title FROM songs WHERE artist='tagged.mp3'"),
              "Noise|A title longer than thirty characters");
    EXPECT_EQ(w.lstresults->SubItem(w.lstresults->SelectedItem(), 1),
              "A title longer than thirty characters");
    EXPECT_EQ(w.lstresults->SubItem(w.lstresults->SelectedItem(), 6), "Noise");
    EXPECT_TRUE(w.lstresults->isEnabled());

    // Cancelling a tagged file's edit must not make the next untagged file look tagged.
    select(w, "tagged.mp3");
    w.cmdEdit_Click();
    w.cmdCancel_Click();
    select(w, "plain.mp3");
    w.cmdEdit_Click();
    EXPECT_EQ(w.TitleTag(), "");
    w.txtTitle->setText("Fresh");
    w.cmdSave_Click();
    EXPECT_EQ(QFileInfo(d + "plain.mp3").size(), 1128);
    EXPECT_TRUE(lastTag(d + "plain.mp3").startsWith("TAGFresh"));

    // The row of exactly that name is saved; the code page is checked before writing.
    select(w, "song.mp3");
    w.cmdEdit_Click();
    w.txtTitle->setText(QString::fromUtf8("It\u2019s \u041a\u0438\u043d\u043e"));
    w.cmdSave_Click();  // refused: the edit stays open
    EXPECT_EQ(app.ui.lastText(),
              QString::fromUtf8("Velumix cannot store these characters in a tag: \u041a\u0438\u043d\u043e"));
    EXPECT_FALSE(w.cmdEdit->isEnabled());
    EXPECT_TRUE(lastTag(d + "song.mp3").startsWith("TAGLower"));
    w.txtTitle->setText(QString::fromUtf8("It\u2019s"));
    w.cmdSave_Click();
    EXPECT_EQ(title("Song.mp3") + "|" + title("song.mp3"), QString::fromUtf8("|It\u2019s"));
}
