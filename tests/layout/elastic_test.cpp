#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/Windows.h"
#include "layout/Line.h"
#include "layout/WindowFrame.h"
#include "layout/class_Elastic.h"
#include "support/TempApp.h"
#include "windows/frmSetup.h"

namespace {

// A shown window, 400 x 310 px outside (6000 x 4650 twips), with a label, a
// button, a line and a control beyond what 16 bits of twips can hold.
struct Elastic : ::testing::Test {
    QWidget w;
    QLabel* label = new QLabel("label", &w);
    QPushButton* button = new QPushButton("button", &w);
    Line* line = new Line(&w);
    QLabel* far = new QLabel("far", &w);
    class_Elastic el;

    Elastic() {
        new QTimer(&w);   // no widget: not a control
        new QDialog(&w);  // a window of its own: not a control
        label->setGeometry(20, 60, 100, 30);
        label->setFont(QFont("Sans", 11));  // recorded 11
        QFont half("Sans");
        half.setPointSizeF(8.5);  // recorded 8: halves go to even
        button->setFont(half);
        line->SetPoints(150, 900, 1500, 900);
        far->setGeometry(2200, 10, 50, 20);  // left 33000 twips
        w.show();
        resizeTo(400, 310);
        el.Init(&w);
        resizeTo(400, 310);  // the designed size, as every window sets it after Init
    }
    void resizeTo(int outerWidth, int outerHeight) {
        w.resize(outerWidth - (w.frameGeometry().width() - w.width()),
                 outerHeight - (w.frameGeometry().height() - w.height()));
        el.FormResize(&w);
    }
};

}  // namespace

TEST_F(Elastic, RecordsDirectChildWidgetsAndSkipsTheFirstResize) {
    EXPECT_EQ(class_Elastic::Controls(&w), (QVector<QWidget*>{label, button, line, far}));
    EXPECT_EQ(label->font().pointSize(), 11) << "the first resize after Init changes nothing";
    EXPECT_EQ(far->x(), 2200);

    resizeTo(400, 310);  // divisors 1: only fonts (up to even) and the overflowed record change
    EXPECT_EQ(label->geometry(), QRect(20, 60, 100, 30));
    EXPECT_EQ(label->font().pointSize(), 12);
    EXPECT_EQ(button->font().pointSize(), 8);
    EXPECT_EQ(far->x(), 0);
}

TEST_F(Elastic, ScalesAcrossByWidthAndDownLessTheFrameAllowance) {
    resizeTo(800, 620);
    // Down by (9300 - 400) / (4650 - 400), not by 2: top 900 -> 1884 twips.
    EXPECT_EQ(label->geometry(), QRect(40, 126, 200, 63));
    EXPECT_EQ(label->font().pointSize(), 22);
    EXPECT_EQ(std::vector<int>({line->X1(), line->Y1(), line->X2(), line->Y2()}),
              std::vector<int>({300, 1884, 3000, 1884}));
    resizeTo(600, 310);  // 11 x 1.5 = 16.5 floors to 16; 8 x 1.5 = 12
    EXPECT_EQ(label->font().pointSize(), 16);
    EXPECT_EQ(button->font().pointSize(), 12);
    resizeTo(400, 310);
    EXPECT_EQ(label->geometry(), QRect(20, 60, 100, 30)) << "no drift";
}

TEST_F(Elastic, NeverSmallerThanHalfEachWayOnItsOwn) {
    for (auto [asked, kept] : {std::pair{QSize(100, 620), QSize(200, 620)},
                               {QSize(800, 50), QSize(800, 155)},
                               {QSize(10, 10), QSize(200, 155)}}) {
        resizeTo(asked.width(), asked.height());
        EXPECT_EQ(w.frameGeometry().size(), kept);
    }
    EXPECT_EQ(label->x(), 10);
}

TEST(ElasticEdges, NoVerticalDivisorLeavesVerticalPropertiesAlone) {
    QWidget small;  // 300 twips high: below the 400 allowance
    QLabel* l = new QLabel("x", &small);
    l->setGeometry(2, 2, 10, 10);
    small.resize(20, 20);
    class_Elastic el;
    el.Init(&small);
    el.FormResize(&small);
    small.resize(40, 20);
    el.FormResize(&small);
    EXPECT_EQ(l->geometry(), QRect(4, 2, 20, 10));
}

// A window manager's 25 px title bar, which a window has only once it is shown.
TEST(ElasticUnderAFrame, WindowsOpenAtTheirSizeAndScaleOnOneBasis) {
    TempApp app;
    WindowFrame::SetProbe(
        [](const QWidget* w) { return w->isVisible() ? QMargins(0, 25, 0, 0) : QMargins(); });
    QWidget main;  // the main window, mapped first
    main.show();
    frmSetup& s = Windows::Show<frmSetup>();
    EXPECT_EQ(s.height() + 25, 322) << "the designed 4830 twips, frame included";
    s.Form_Resize();  // by 0
    EXPECT_EQ(s.lblupdate->geometry(), QRect(0, 248, 361, 49));
    s.SetHeight(4830 * 3 / 2);
    EXPECT_NEAR(s.lblupdate->geometry().bottom() + 1, s.height(), 1) << "the bottom row stays at the bottom";
    WindowFrame::SetProbe(nullptr);
}
