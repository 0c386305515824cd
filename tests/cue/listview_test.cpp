#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "support/CueFixture.h"

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

    view.ClearSelection();
    EXPECT_TRUE(shownSelected().isEmpty());

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
    EXPECT_EQ(view.Count(), 3);
    EXPECT_EQ(view.SubItem(2, 1), "s1.mp3");
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
