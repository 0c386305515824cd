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

// Each row: the outer size asked for, the size kept (never below half each way
// on its own), and where the label, the button's font and the line end up.
// Across scales by width; down by (height - 400) / (4650 - 400) twips, so
// 620 px moves the label's top from 900 to 1884 twips, not to 1800.
TEST_F(Elastic, ScalesEachControlFromItsRecordWithinHalfTheDesignedSize) {
    EXPECT_EQ(class_Elastic::Controls(&w), (QVector<QWidget*>{label, button, line, far}));
    EXPECT_EQ(label->font().pointSize(), 11) << "the first resize after Init changes nothing";
    EXPECT_EQ(far->x(), 2200);
    const struct {
        QSize asked, kept;
        QRect label;
        int labelPt, buttonPt;
        QLine line;
    } rows[] = {
        {{800, 620}, {800, 620}, {40, 126, 200, 63}, 22, 16, {300, 1884, 3000, 1884}},
        {{600, 310}, {600, 310}, {30, 60, 150, 30}, 16, 12, {225, 900, 2250, 900}},  // 16.5 floors
        // Back at divisors 1: no drift, fonts round up to even, the overflowed far record moves.
        {{400, 310}, {400, 310}, {20, 60, 100, 30}, 12, 8, {150, 900, 1500, 900}},
        {{100, 620}, {200, 620}, {10, 126, 50, 63}, 6, 4, {75, 1884, 750, 1884}},
        {{800, 50}, {800, 155}, {40, 27, 200, 14}, 22, 16, {300, 407, 3000, 407}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.asked));
        resizeTo(r.asked.width(), r.asked.height());
        EXPECT_EQ(w.frameGeometry().size(), r.kept);
        EXPECT_EQ(label->geometry(), r.label);
        EXPECT_EQ(QPoint(label->font().pointSize(), button->font().pointSize()),
                  QPoint(r.labelPt, r.buttonPt));
        EXPECT_EQ(QLine(line->X1(), line->Y1(), line->X2(), line->Y2()), r.line);
    }
    EXPECT_EQ(far->x(), 0);
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
