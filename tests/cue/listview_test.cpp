#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "app/ListView.h"

namespace {

struct Lv {
    ListView view;
    Lv(int rows) {
        view.SetColumns({{"id", 0}, {"Song", 3000}, {"Path", 0}});
        view.resize(300, 400);
        QVector<QStringList> r;
        for (int i = 1; i <= rows; ++i) r.append({"1", QString::number(i), "/p/"});
        view.AddRows(r);
    }
    QList<int> shownSelected() const {
        QList<int> out;
        for (const QModelIndex& i : view.selectionModel()->selectedRows()) out << i.row() + 1;
        std::sort(out.begin(), out.end());
        return out;
    }
};

}  // namespace

TEST(ListViewSelection, ShownOnceControlReturnsAndUserChangesFlowBack) {
    Lv l(500);
    l.view.show();
    QApplication::processEvents();
    l.view.SetSelected(2, true);
    l.view.SetSelected(3, true);
    l.view.SetSelectedItem(5);
    QApplication::processEvents();
    EXPECT_EQ(l.shownSelected(), QList<int>({2, 3, 5}));
    EXPECT_EQ(l.view.selectionModel()->currentIndex().row(), 4);

    // A right-button press on row 1 selects it alone and reports the button.
    int button = 0;
    QObject::connect(&l.view, &ListView::MouseDown, [&](int b, int, int, int) { button = b; });
    const QPoint at = l.view.visualRect(l.view.model()->index(0, 1)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, l.view.viewport()->mapToGlobal(at), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(l.view.viewport(), &press);
    EXPECT_EQ(button, 2);
    EXPECT_TRUE(l.view.Selected(1) && !l.view.Selected(2) && !l.view.Selected(3) && !l.view.Selected(5));
    EXPECT_EQ(l.view.SelectedItem(), 1);

    l.view.ClearSelection();
    QApplication::processEvents();
    EXPECT_TRUE(l.shownSelected().isEmpty());

    // Selecting from code does not scroll the row into view.
    l.view.SetSelectedItem(500);
    QApplication::processEvents();
    EXPECT_EQ(l.view.selectionModel()->currentIndex().row(), 499);
    EXPECT_EQ(l.view.verticalScrollBar()->value(), 0);
}
