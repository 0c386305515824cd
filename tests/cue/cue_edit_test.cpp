// The cue's editing (buttons, pop-ups, double-clicks, drag and drop), the
// list view under it, and the running time of the songs it holds.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <functional>

#include "app/ListOptions.h"
#include "support/CueFixture.h"
#include "support/WavWriter.h"
#include "windows/multilist.h"

namespace {
// One song per letter, each in a folder of its own name, so a check of the
// rows also sees that the folder travels with the name.
void load(ListView* list, const QString& letters) {
    list->Clear();
    for (const QChar n : letters) list->AddRows({{"1", n, "/" + QString(n) + "/"}});
}

// The pop-up's check mark says "Delete Selected" was chosen; it must not
// outlive the press it was chosen in, and the left button shows no menu.
void deleteByPopup(ScriptedUi& ui, form1& w) {
    ui.popupChoices = {"Delete Selected", ""};
    w.lstPlaylist_MouseDown(2, 0, 5, 5);
    w.lstPlaylist->SetSelected(1, true);
    w.lstPlaylist_MouseDown(2, 0, 5, 5);  // dismissed
    w.lstPlaylist_MouseDown(1, 0, 5, 5);
    w.lstPlaylist->SetSelected(1, false);
    EXPECT_EQ(ui.popups, QList<QMenu*>({w.mnurightclicklist, w.mnurightclicklist}));
}

// Drops on the upper half of 1-based `row`, or below the last row (0).
void drop(ListView* list, QMimeData* mime, int row) {
    const QRect r = row ? list->visualRect(list->listModel()->index(row - 1, 1)) : QRect();
    const QPoint at = row ? r.topLeft() + QPoint(2, 1) : QPoint(2, list->viewport()->height() - 2);
    // Through the window, as the platform delivers a drag: enter, then drop.
    list->window()->show();
    QWindow* window = list->window()->windowHandle();
    const QPoint p = list->viewport()->mapTo(list->window(), at);
    QDragEnterEvent enter(p, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent e(p, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &e);
    delete mime;
}

// Files as a file manager drags them: a list of file URLs.
QMimeData* files(const QStringList& paths) {
    auto* mime = new QMimeData;
    mime->setData("text/uri-list", ("file://" + paths.join("\r\nfile://") + "\r\n").toUtf8());
    return mime;
}

}  // namespace

// What each operation does to the cue, and which ones refresh the count and
// rewrite the auto-recover file at once; every other change follows within
// a moment, leaving the selection alone.
// The cue is A B C D with B and D selected (D the selected item), the search
// results X Y Z with X and Z selected (Z the selected item). A move leaves the
// moved song the selected item, so repeated presses keep moving it, and its
// name becomes the tool tip.
TEST_F(CueTest, EachOperationsResultCountAndFile) {
    struct Case {
        const char* name;
        std::function<void(form1&)> run;
        QString result;
        bool refreshes;
        bool writes;
        int selectedAfter = 0;  // 0: no move
        int selectedBefore = 4;
        bool resultsKeepSelection = true;
    };
    const auto deleteAll = [](form1& w) {
        select(w.lstPlaylist, {1, 3});
        w.cmdCS_Click();
    };
    const auto dragged = [](ListView* form1::*from, int row) {
        return
            [=](form1& w) { drop(w.lstPlaylist, ListView::RowsMime(SelectedRows(w.*from), w.*from), row); };
    };
    const Case cases[] = {
        {"move up", &form1::cmdUP_Click, "ABDC", false, false, 3},
        {"double-click is move up", &form1::lstPlaylist_DblClick, "ABDC", false, false, 3},
        {"move down wraps at the end", &form1::cmdDown_Click, "DABC", false, false, 1},
        {"move up wraps at the top", &form1::cmdUP_Click, "BCDA", false, false, 4, 1},
        {"move without a selected item", &form1::cmdUP_Click, "ABCD", false, false, 0, 0},
        {"move to top", &form1::cmdPlayNow_Click, "DBAC", false, true},
        {"clear selection, every song", deleteAll, "", true, true},
        {"delete by pop-up", [this](form1& w) { deleteByPopup(app.ui, w); }, "AC", true, true},
        {"clearlist", &form1::Command3_Click, "", true, false},
        {"send to top", &form1::cmdFirst_Click, "ZXABCD", true, true},
        {"add all from search", &form1::Command7_Click, "ABCDXYZ", true, false, 0, 4, false},
        {"results double-click", &form1::lstresults_DblClick, "ABCDZ", true, true},
        {"results pop-up", [](form1& w) { w.lstresults_MouseDown(2, 0, 0, 0); }, "ABCDXZ", true, true},
        // Dragged rows land above the row dropped on, counted without the moved ones.
        {"drop within the cue", dragged(&form1::lstPlaylist, 3), "ABDC", true, true},
        {"drop results on the cue", dragged(&form1::lstresults, 2), "AXZBCD", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(f->lstPlaylist, "ABCD");
        f->lstPlaylist->SetSelected(2, true);
        if (c.selectedBefore) f->lstPlaylist->SetSelectedItem(c.selectedBefore);
        load(f->lstresults, "XYZ");
        f->lstresults->SetSelected(1, true);
        f->lstresults->SetSelectedItem(3);
        app.ui.popupChoices = {"Add Selected"};
        f->lblPlaySongs->setText("unchanged");
        writeBackup(ListFile::Record("/u/*()*unchanged"));
        f->autoRecover->pending()->stop();
        c.run(*f);
        QStringList rows;
        for (const QChar n : c.result) rows << QString("1|%1|/%1/").arg(n);
        EXPECT_EQ(CueRows(), rows);
        EXPECT_EQ(CueCountLabel(), c.refreshes ? QString("Songs in cue:%1").arg(rows.size()) : "unchanged");
        EXPECT_EQ(BackupRows(), c.writes ? rows : QStringList{"1|unchanged|/u/"});
        // Writing the file leaves no row selected.
        for (int i = 1; c.writes && i <= f->lstPlaylist->Count(); ++i)
            EXPECT_FALSE(f->lstPlaylist->Selected(i));
        for (int i : {1, 3}) EXPECT_EQ(f->lstresults->Selected(i), c.resultsKeepSelection) << i;
        if (c.selectedAfter) {
            EXPECT_EQ(f->lstPlaylist->SelectedItem(), c.selectedAfter);
            EXPECT_EQ(f->lstPlaylist->toolTip(), QString(c.result[c.selectedAfter - 1]));
        }
        // The rest reach the file shortly after, with the selection left as the operation left it.
        const QVector<char> selected = f->lstPlaylist->listModel()->selected;
        const int item = f->lstPlaylist->SelectedItem();
        const bool changed = c.result != "ABCD";
        EXPECT_EQ(f->autoRecover->pending()->isActive(), changed && !c.writes);
        if (f->autoRecover->pending()->isActive()) f->autoRecover->WriteNow();
        EXPECT_EQ(BackupRows(), changed || c.writes ? rows : QStringList{"1|unchanged|/u/"});
        EXPECT_EQ(std::make_pair(f->lstPlaylist->listModel()->selected, f->lstPlaylist->SelectedItem()),
                  std::make_pair(selected, item));
    }
}

// Where dragged rows land is the operation table's.
TEST_F(CueTest, DroppedFilesAndFoldersGoInAsAudioAndListsOpenInTheViewer) {
    const QString d = app.path() + "/drop";
    for (const char* n : {"b.mp3", "a.WAV", "notes.txt", "sub/c.mp3", "../x.mid"}) {
        QDir().mkpath(QFileInfo(d + "/dir/" + n).path());
        QFile(d + "/dir/" + n).open(QIODevice::WriteOnly);
    }
    fill(f->lstPlaylist, {"s1"});
    drop(f->lstPlaylist, files({d + "/dir", d + "/x.mid", d + "/dir/notes.txt"}), 0);
    EXPECT_EQ(cue(), QStringList({"s1", "a.WAV", "b.mp3", "x.mid"}));
    EXPECT_EQ(f->lstPlaylist->SubItem(2, 2), d + "/dir/");

    // A list file dropped on the viewer's open lists is opened there.
    ASSERT_TRUE(ListFile::WriteAtomically(d + "/mix.vlx", "\"/m/*()*one.mp3\"\r\n\"/m/*()*two.mp3\"\r\n"));
    multilist& m = Windows::Load<multilist>();
    drop(m.lstPlaylist, files({d + "/mix.vlx", d + "/dir/b.mp3"}), 0);
    EXPECT_EQ(names(m.lstPlaylist), QStringList{"mix.vlx"});
    EXPECT_EQ(names(m.lstresults), QStringList({"one.mp3", "two.mp3"}));
}

// The rows selected from code show once control returns to the event loop,
// and what the user changes in the view flows back into the row flags.
TEST_F(CueTest, ListSelectionShownOnceControlReturnsAndUserChangesFlowBack) {
    ListView& view = *f->lstPlaylist;
    QStringList many;
    for (int i = 1; i <= 500; ++i) many << QString::number(i);
    fill(&view, many);
    view.window()->show();
    const auto shownSelected = [&] {
        QApplication::processEvents();
        QList<int> out;
        for (const QModelIndex& i : view.selectionModel()->selectedRows()) out << i.row() + 1;
        std::sort(out.begin(), out.end());
        return out;
    };
    select(&view, {2, 3});
    view.SetSelectedItem(5);
    EXPECT_EQ(shownSelected(), QList<int>({2, 3, 5}));

    // A right-button press on row 1 selects it alone and reports the button.
    int button = 0;
    QObject::connect(&view, &ListView::MouseDown, [&](int b, int, int, int) { button = b; });
    const QPoint at = view.visualRect(view.model()->index(0, 1)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, view.viewport()->mapToGlobal(at), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &press);
    EXPECT_EQ(button, 2);
    EXPECT_TRUE(view.Selected(1) && !view.Selected(2) && !view.Selected(3) && !view.Selected(5));
    EXPECT_EQ(view.SelectedItem(), 1);

    // Selecting from code does not scroll the row into view.
    view.SetSelectedItem(500);
    shownSelected();
    EXPECT_EQ(view.selectionModel()->currentIndex().row(), 499);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
}

// Rows a listing supplies on demand read like rows of their own, keep what is
// changed in them, and stay in place when the rows around them move.
TEST_F(CueTest, ListRowsFromASourceActLikeItsOwn) {
    ListView& view = *f->lstPlaylist;
    int built = 0;
    view.SetSourceRows(3, [&](int row0) {
        ++built;
        return QStringList{"1", QString("s%1.mp3").arg(row0), "/m/"};
    });
    view.SetSubItem(3, 1, "changed.mp3");
    view.Add(1);
    view.Remove(3);
    EXPECT_EQ(RowsOf(&view), QStringList({"1||", "1|s0.mp3|/m/", "1|changed.mp3|/m/"}));
    const int before = built;
    view.Clear();
    view.Add();
    EXPECT_EQ(RowsOf(&view), QStringList{"1||"});
    EXPECT_EQ(built, before) << "a cleared list has let go of its source";
}

// Lengths come in from the reader thread; the window shows what is known.
TEST_F(CueTest, CueTimeSumsKnownLengthsCountsUnknownAndRereadsChangedFiles) {
    // The Length column would send the shown rows to the reader before the sum does.
    Options::Set(Options::ShowTagColumns, false);
    f->ApplyTagColumns();
    const QString d = app.path() + "/";
    WriteSineWav(d + "a.wav", 60, 440);
    WriteSineWav(d + "b.wav", 30, 440);
    ASSERT_TRUE(ListFile::WriteAtomically(d + "bad.mp3", "not audio at all"));
    f->lstPlaylist->AddRows({{"1", "a.wav", d}, {"1", "b.wav", d}, {"1", "bad.mp3", d}});
    QCoreApplication::processEvents();  // the cue change is summed
    EXPECT_TRUE(f->lblCueTime->toolTip().contains("reading 3"));
    const auto settle = [&] {
        for (int round = 0; round < 3; ++round) {
            f->cueTime_.WaitIdle();
            QCoreApplication::processEvents();
        }
    };
    settle();
    const QString caption = f->lblCueTime->toolTip();
    EXPECT_TRUE(caption.startsWith("Total 1:30, ends ")) << caption.toStdString();
    EXPECT_TRUE(caption.endsWith(", 1 unknown")) << caption.toStdString();
    // The label is cut short to fit beside the count; the tip holds the whole text.
    EXPECT_LE(f->lblCueTime->fontMetrics().horizontalAdvance(f->lblCueTime->text()), f->lblCueTime->width());

    // A file rewritten under the same name is read again.
    WriteSineWav(d + "b.wav", 90, 440);
    QFile b(d + "b.wav");
    ASSERT_TRUE(b.open(QIODevice::ReadWrite));
    b.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    f->lstPlaylist->Remove(3);
    settle();
    EXPECT_TRUE(f->lblCueTime->toolTip().startsWith("Total 2:30, ends "));

    EXPECT_EQ(CueTime::Caption({3725, 0, 0}, 60, QTime(23, 0)), "Total 1:02:05, ends 00:03");
    Options::Set(Options::ShowTagColumns, true);
}
