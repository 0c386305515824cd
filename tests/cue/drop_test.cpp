// Drag and drop onto the cue and the multilist viewer, with synthesized drop events.
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QWindow>

#include "support/CueFixture.h"
#include "windows/multilist.h"

namespace {

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

TEST_F(CueTest, DropsFillAndReorderTheCueAndRewriteTheBackup) {
    const QString d = app.path() + "/drop";
    for (const char* n : {"b.mp3", "a.WAV", "notes.txt", "sub/c.mp3", "../x.mid"}) {
        QDir().mkpath(QFileInfo(d + "/dir/" + n).path());
        QFile(d + "/dir/" + n).open(QIODevice::WriteOnly);
    }
    fill(f->lstPlaylist, {"s1"});
    drop(f->lstPlaylist, files({d + "/dir", d + "/x.mid", d + "/dir/notes.txt"}), 0);
    EXPECT_EQ(cue(), QStringList({"s1", "a.WAV", "b.mp3", "x.mid"}));
    EXPECT_EQ(f->lstPlaylist->SubItem(2, 2), d + "/dir/");

    select(f->lstPlaylist, {2, 4});  // a.WAV and x.mid above s1
    drop(f->lstPlaylist, ListView::RowsMime(SelectedRows(f->lstPlaylist), f->lstPlaylist), 1);
    EXPECT_EQ(cue(), QStringList({"a.WAV", "x.mid", "s1", "b.mp3"}));

    fill(f->lstresults, {"r1", "r2"});
    select(f->lstresults, {2});
    drop(f->lstPlaylist, ListView::RowsMime(SelectedRows(f->lstresults), f->lstresults), 2);
    EXPECT_EQ(cue(), QStringList({"a.WAV", "r2", "x.mid", "s1", "b.mp3"}));
    EXPECT_EQ(CueCountLabel(), "Songs in cue:5");
    EXPECT_EQ(BackupRows(), CueRows());

    // A list file dropped on the viewer's open lists is opened there.
    ASSERT_TRUE(ListFile::WriteAtomically(d + "/mix.vlx", "\"/m/*()*one.mp3\"\r\n\"/m/*()*two.mp3\"\r\n"));
    multilist& m = Windows::Load<multilist>();
    drop(m.lstPlaylist, files({d + "/mix.vlx", d + "/dir/b.mp3"}), 0);
    EXPECT_EQ(names(m.lstPlaylist), QStringList{"mix.vlx"});
    EXPECT_EQ(names(m.lstresults), QStringList({"one.mp3", "two.mp3"}));
}
