// The windows that list songs: the tag search, the master list and the list
// viewer. Every one sends songs to the cue alike: Play Next puts the selected
// song on top, a double-click appends it, and without a selected row nothing
// happens; each refreshes the count and writes the auto-recover file. Each
// springs back to its smallest size and scales its controls.
#include <QApplication>
#include <QHeaderView>
#include <QRegularExpression>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <memory>

#include "layout/WindowFrame.h"
#include "support/CueFixture.h"
#include "windows/formlist.h"
#include "windows/id3search.h"
#include "app/ListOptions.h"
#include "support/WavWriter.h"
#include "windows/multilist.h"

namespace {

// A library of A.mp3 (/m/, titled "it's over"), B.mp3 (/n/), c.mp3 (padded
// title) and d.mp3, the last two in folders this system cannot use, under a
// shown main window (so a window's frame is known before it maps).
struct SongWindows : ::testing::Test {
    TempApp app;
    const QString d = app.path() + "/";
    QWidget main;
    SongWindows() {
        app.addSong("A.mp3", "/m/", "it's over");
        app.addSong("B.mp3", "/n/", "its fine");
        app.addSong("c.mp3", "C:\\Music\\", "Padded" + QString(24, QChar(0)));
        app.addSong("d.mp3", "");
        // A window manager's 25 px title bar, which a window has only once it is shown.
        WindowFrame::SetProbe(
            [](const QWidget* shown) { return shown->isVisible() ? QMargins(0, 25, 0, 0) : QMargins(); });
        main.show();
    }
    ~SongWindows() override { WindowFrame::SetProbe(nullptr); }

    // Writes a list file of the given records (each written as one quoted line).
    QString writeList(const QString& name, const QStringList& records) const {
        ListFile::WriteAtomically(d + name, ("\"" + records.join("\"\r\n\"") + "\"\r\n").toUtf8());
        return d + name;
    }
};

// An audio file of `audio` bytes, followed by a tag (genre Rock) when a title is given.
void writeSong(const QString& file, int audio, const char* title = nullptr) {
    const QByteArray tag =
        title ? "TAG" + QByteArray(title).leftJustified(124, ' ') + char(17) : QByteArray();
    ListFile::WriteAtomically(file, QByteArray(audio, 'x') + tag);
}

QByteArray lastTag(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll().right(128) : QByteArray();
}

void pickRow(ListView* list, int row) {
    list->ClearSelection();
    if (row) list->SetSelectedItem(row);
}

// Lists everything, selects the song with the given file name and opens its edit.
void edit(id3search& w, const QString& name) {
    w.cmdListAll_Click();
    int row = 1;
    while (row <= w.lstresults->Count() && w.lstresults->SubItem(row, 7) != name) ++row;
    pickRow(w.lstresults, row);
    w.cmdEdit_Click();
}

// w shows A.mp3 and B.mp3 as rows 1 and 2; pick(0) selects none.
template <class W, class Pick>
void checkSizingAndSending(W& w, int minWidth, int minHeight, QWidget* probe, Pick pick, void (W::*top)(),
                           void (W::*end)()) {
    QApplication::processEvents();
    const int designed = probe->width();
    w.resize(w.width() / 2, w.height() / 3);
    QApplication::processEvents();
    EXPECT_EQ(QSize(w.Width(), w.Height()), QSize(minWidth, minHeight)) << "frame included";
    w.SetWidth(minWidth * 2);
    QApplication::processEvents();
    EXPECT_NEAR(probe->width(), designed * 2, 2);

    // Row 0 (none selected) sends nothing.
    const std::pair<int, void (W::*)()> sends[] = {{0, top}, {0, end}, {1, top}, {2, top}, {2, end}};
    for (const auto& [row, send] : sends) {
        pick(row);
        (w.*send)();
    }
    EXPECT_EQ(CueRows(), (QStringList{"1|B.mp3|/n/", "1|A.mp3|/m/", "1|B.mp3|/n/"}));
    EXPECT_EQ(CueCountLabel(), "Songs in cue:3");
    EXPECT_EQ(BackupRows(), CueRows());
}

QString selectedRow(const id3search& w, int column) {
    return w.lstresults->SubItem(w.lstresults->SelectedItem(), column);
}

}  // namespace

TEST_F(SongWindows, TagSearchListsSearchesAndSendsToTheCue) {
    id3search& w = Windows::Show<id3search>();
    w.cmdListAll_Click();
    EXPECT_EQ(w.lblTotalsongs->text(), "Total Songs Found: 4");
    EXPECT_TRUE(w.lstresults->SelectedItem() == 1 && w.lstresults->Selected(1)) << "a fresh listing";
    EXPECT_EQ(w.lstresults->SubItem(3, 1), "Padded");
    checkSizingAndSending(
        w, 8025, 6765, w.cmdSearch, [&](int row) { pickRow(w.lstresults, row); },
        &id3search::cmdPlayNext_Click, &id3search::lstresults_DblClick);
    // Without a selected row there is no file to edit: still browsing.
    w.lstresults->ClearSelection();
    w.cmdEdit_Click();
    EXPECT_TRUE(w.cmdEdit->isEnabled());

    // An untouched genre is no criterion.
    w.txtTitle->setText(" it's ");
    w.cmdSearch_Click();
    EXPECT_EQ(RowsOf(w.lstresults), QStringList{"1|it's over|"});
    // Blank criteria (only spaces) run nothing and keep the list.
    w.txtTitle->setText("   ");
    w.txtYear->setText(" ");
    w.cmbGenre->setEditText(" ");
    w.cmdSearch_Click();
    EXPECT_EQ(w.lstresults->Count(), 1);
    // Every filled criterion is joined in; the quote is doubled.
    EXPECT_EQ(id3search::SearchStatement({"", "x", "y", "2001", "it's", "Rock"}),
              "Select * from songs where  artist2 like '%x%' and album like '%y%' and year like '%2001%' and "
              "comment like '%it''s%' and genre like '%Rock%'");
}

// A failed save changes nothing and the next one stands alone; texts go to
// the library trimmed and to the file at the tag's field widths.
TEST_F(SongWindows, TagSearchSavingOverwritesOrAppendsATag) {
    id3search& w = Windows::Load<id3search>();
    writeSong(d + "locked.mp3", 500, "Locked");
    QFile::setPermissions(d + "locked.mp3", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    writeSong(d + "plain.mp3", 1000);
    writeSong(d + "Song.mp3", 200, "Upper");
    writeSong(d + "song.mp3", 1000, "Old Title");
    app.addSong("locked.mp3", d, "Locked");
    for (const char* n : {"plain.mp3", "Song.mp3", "song.mp3"}) app.addSong(n, d);

    edit(w, "locked.mp3");
    w.txtTitle->setText("Changed");
    w.cmdSave_Click();
    EXPECT_EQ(selectedRow(w, 1), "Locked");

    // Only the row of exactly that name is saved (Song.mp3 stays as it was, below); the
    // code page is checked before writing.
    edit(w, "song.mp3");
    EXPECT_EQ(w.txtTitle->text().trimmed() + "|" + w.cmbGenre->currentText(),
              "Old Title|Rock");              // from the file
    EXPECT_FALSE(w.lstresults->isEnabled());  // the row cannot change while editing
    w.txtTitle->setText(QString::fromUtf8("It\u2019s \u041a\u0438\u043d\u043e"));
    w.cmdSave_Click();  // refused: the edit stays open
    EXPECT_EQ(app.ui.lastText(),
              QString::fromUtf8("Velumix cannot store these characters in a tag: \u041a\u0438\u043d\u043e"));
    EXPECT_FALSE(w.cmdEdit->isEnabled());
    // The genre is trimmed before its lookup ("Noise " is 39, not "Other").
    w.txtTitle->setText(QString::fromUtf8(" It\u2019s a title longer than thirty "));
    w.txtYear->setText("2001 ");
    w.cmbGenre->setEditText("Noise ");
    app.ui.answers = {Seams::Answer::Yes};  // the file has only room for 30 characters of the title
    w.cmdSave_Click();
    EXPECT_EQ(QFileInfo(d + "song.mp3").size(), 1128);
    const QByteArray tag = lastTag(d + "song.mp3");
    EXPECT_EQ(tag.mid(3, 30), " It\x92s a title longer than thir");
    EXPECT_EQ(static_cast<unsigned char>(tag[127]), 39);
    EXPECT_EQ(selectedRow(w, 6) + "|" + selectedRow(w, 1),
              QString::fromUtf8("Noise|It\u2019s a title longer than thirty"));

    // Cancelling a tagged file's edit must not make the next untagged file look tagged.
    edit(w, "song.mp3");
    w.cmdCancel_Click();
    edit(w, "plain.mp3");
    w.txtTitle->setText("Fresh");
    w.cmdSave_Click();
    EXPECT_EQ(QFileInfo(d + "plain.mp3").size(), 1128);
    EXPECT_TRUE(lastTag(d + "plain.mp3").startsWith("TAGFresh"));
    EXPECT_EQ(app.rows(d, "title, year, genre"),
              (QStringList{"Locked|~|~", "Fresh||", "~|~|~",
                           QString::fromUtf8("It\u2019s a title longer than thirty|2001|Noise")}));
}

TEST_F(SongWindows, MasterListListsEverySongByNameSendsToTheCueAndClosesEitherWay) {
    form1& f = Windows::Load<form1>();
    f.cmdShowSongs_Click();
    formlist& w = *Windows::Find<formlist>();
    // Each entry's text is the tag column test's.
    EXPECT_EQ(w.Label2->text(), "4");
    // Dragged out, entries travel as cue rows; those without a usable folder stay behind.
    QModelIndexList all;
    for (int r = 0; r < w.ListCount(); ++r) all << w.lstShowSongs->model()->index(r, 0);
    const std::unique_ptr<QMimeData> dragged(w.lstShowSongs->model()->mimeData(all));
    EXPECT_EQ(ListView::RowsOf(dragged.get()),
              (QVector<QStringList>{{"1", "A.mp3", "/m/"}, {"1", "B.mp3", "/n/"}}));
    // Entries without a folder this system can use are never cued.
    for (int i : {2, 3}) {
        w.SetListIndex(i);
        w.cmdPlaynext_Click();
        w.lstShowSongs_DblClick();
    }
    checkSizingAndSending(
        w, 9585, 6045, w.lstShowSongs, [&](int row) { w.SetListIndex(row - 1); },
        &formlist::cmdPlaynext_Click, &formlist::lstShowSongs_DblClick);
    w.cmdClose_Click();
    EXPECT_TRUE(f.cmdShowSongs->isEnabled() && !Windows::IsLoaded<formlist>());
    Windows::flushDeleted();
    f.cmdShowSongs_Click();
    Windows::Find<formlist>()->close();  // the title bar's close box
    EXPECT_TRUE(f.cmdShowSongs->isEnabled() && !Windows::IsLoaded<formlist>());

    // How an entry splits before its folder: good entries, then no name and no
    // separating blank (a folder this system cannot use is checked above).
    const char* cases[][2] = {{"my song.mp3 /music/", "my song.mp3|/music/"},
                              {"top.mp3 /", "top.mp3|/"},
                              {" /music/", "-"},
                              {"song.mp3/music/", "-"}};
    QString name, folder;
    for (const auto& c : cases)
        EXPECT_EQ(formlist::SplitEntry(c[0], name, folder) ? name + "|" + folder : "-", c[1]) << c[0];
}

TEST_F(SongWindows, ListViewerOpensListsShowsTheTopOneAndSendsASongOrAWholeListToTheCue) {
    multilist& w = Windows::Show<multilist>();
    for (const char* n : {"first", "a", "b.x"})
        writeList(n + QString(".vlx"), {QString("/m/*()*%1.mp3").arg(n)});
    app.ui.files = {{d + "first.vlx"}, {d + "a.vlx", d + "b.x.vlx"}, {d + "a.vlx"}, {}, {"/x.vlx", "/y.vlx"}};
    for (int i = 0; i < 5; ++i) w.cmdOpen_Click();
    EXPECT_EQ(app.ui.fileDialogs.value(0).kind, Seams::FileDialog::OpenMultiple);
    w.lstPlaylist->ClearSelection();
    w.cmdRemove_Click();  // nothing selected: nothing removed
    // Opening one again adds it again; cancelling changes nothing; the root's "/" is not doubled.
    EXPECT_EQ(RowsOf(w.lstPlaylist), (QStringList{"1|first.vlx|" + d, "1|a.vlx|" + d, "1|b.x.vlx|" + d,
                                                  "1|a.vlx|" + d, "1|x.vlx|/", "1|y.vlx|/"}));
    // The top list is shown, not one just added.
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List:first");
    EXPECT_EQ(RowsOf(w.lstresults), QStringList{"1|first.mp3|/m/"});
    w.lstPlaylist->SetSelectedItem(3);
    w.lstPlaylist_Click();
    EXPECT_EQ(RowsOf(w.lstresults), QStringList{"1|b.x.mp3|/m/"});
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List:b");  // the name up to its first dot
    // Removing a list clears the contents even with lists left.
    w.cmdRemove_Click();
    EXPECT_FALSE(RowsOf(w.lstPlaylist).contains("1|b.x.vlx|" + d));
    EXPECT_EQ(w.lstresults->Count(), 0);
    EXPECT_EQ(w.lblListTitle->text(), "Contents of Selected List ");

    // Record parsing is the list file reader's; here: what reaches the list, the label and the cue.
    // A damaged record stops reading and shows no count.
    w.OpenList(writeList("d.vlx", {"/m/*()*a.mp3", "garbage", "/m/*()*b.mp3"}));
    EXPECT_EQ(RowsOf(w.lstresults), QStringList{"1|a.mp3|/m/"});
    EXPECT_EQ(w.lblsongs->text(), "");
    w.OpenList(writeList("l.vlx", {"/m/*()*A.mp3", "/n/*()*B.mp3"}));
    checkSizingAndSending(
        w, 8460, 5460, w.cmdClose, [&](int row) { pickRow(w.lstresults, row); },
        &multilist::cmdPlaynext_Click, &multilist::lstresults_DblClick);
    w.cmdEntireList_Click();
    EXPECT_EQ(CueRows().mid(3), (QStringList{"1|A.mp3|/m/", "1|B.mp3|/n/"}));
    EXPECT_EQ(CueCountLabel(), "Songs in cue:5");
    EXPECT_EQ(BackupRows(), CueRows());
    EXPECT_EQ(w.lstresults->SelectedItem(), 2);
    // A missing file empties the list and leaves the label.
    w.OpenList(d + "missing.vlx");
    EXPECT_EQ(w.lstresults->Count(), 0);
    EXPECT_EQ(w.lblsongs->text(), "Number of Songs In Selected List:2");
}

// With the tag columns the master list shows each song's artist, title and
// length after its entry, and a header click sorts it, the selection moving
// along; without them it is the plain list it always was.
TEST_F(SongWindows, MasterListShowsTagColumnsAndSortsByAHeaderClick) {
    WriteSineWav(d + "long.wav", 90, 440);
    WriteSineWav(d + "short.wav", 30, 440);
    app.addSong("long.wav", d, "Zed");
    app.addSong("short.wav", d, "Alpha");
    app.exec("UPDATE songs SET artist2 = 'Aurora' WHERE artist = 'B.mp3'");
    form1& f = Windows::Load<form1>();
    f.cmdShowSongs_Click();
    formlist& w = *Windows::Find<formlist>();
    const QAbstractItemModel* m = w.lstShowSongs->model();
    auto shown = [&](int column) {
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, column).data().toString();
        return out.join('|');
    };
    shown(3);  // the shown rows' lengths go to the reader
    f.cueTime_.WaitIdle();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.lstShowSongs->isHeaderHidden());
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString(), "Length");
    EXPECT_EQ(shown(0), "A.mp3 /m/|B.mp3 /n/|c.mp3 C:\\Music\\|d.mp3 |long.wav " + d + "|short.wav " + d);
    EXPECT_EQ(shown(1) + "/" + shown(2) + "/" + shown(3),
              "|Aurora||||/it's over|its fine|Padded||Zed|Alpha/||||1:30|0:30");

    w.SetListIndex(1);
    // By length (the unknown first, in their order), again (the other way round), by title, by entry.
    const std::pair<int, QString> clicks[] = {{3, "A|B|c|d|short|long"},
                                              {3, "long|short|A|B|c|d"},
                                              {2, "d|short|A|B|c|long"},
                                              {0, "A|B|c|d|long|short"}};
    for (const auto& [column, names] : clicks) {
        emit w.lstShowSongs->header()->sectionClicked(column);
        EXPECT_EQ(shown(0).remove(QRegularExpression("\\.\\w+ [^|]*")), names) << column;
        EXPECT_EQ(w.List(w.ListIndex()), "B.mp3 /n/") << "the selection moves along";
    }
    w.cmdPlaynext_Click();
    EXPECT_EQ(CueRows(), QStringList{"1|B.mp3|/n/"});

    Options::Set(Options::ShowTagColumns, false);
    f.ApplyTagColumns();
    emit w.lstShowSongs->header()->sectionClicked(0);
    EXPECT_TRUE(w.lstShowSongs->isHeaderHidden());
    EXPECT_EQ(m->columnCount(), 1);
    EXPECT_EQ(w.List(4), "long.wav " + d) << "the listing's own order";
    Options::Set(Options::ShowTagColumns, true);
}
