#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "layout/Line.h"
#include "layout/class_Elastic.h"

namespace {

// A shown window of 400 x 310 px (6000 x 4650 twips) with a label, a button,
// a line and a control placed beyond what 16 bits of twips can hold.
struct Elastic : ::testing::Test {
    QWidget w;
    QLabel* label = new QLabel("label", &w);
    QPushButton* button = new QPushButton("button", &w);
    Line* line = new Line(&w);
    QLabel* far = new QLabel("far", &w);
    class_Elastic el;

    Elastic() {
        new QTimer(&w);                       // not a control: no widget
        new QDialog(&w);                      // a window of its own: not a control either
        label->setGeometry(20, 60, 100, 30);  // twips: 300, 900, 1500, 450
        QFont f = label->font();
        f.setPointSizeF(11.25);
        label->setFont(f);
        button->setGeometry(40, 200, 80, 20);
        f.setPointSizeF(8.5);
        button->setFont(f);
        line->SetPoints(150, 900, 1500, 900);
        far->setGeometry(2200, 10, 50, 20);  // left 33000 twips: does not fit
        w.show();
        setOuter(400, 310);
        el.Init(&w);
        setOuter(400, 310);  // the window's own designed size, as every caller sets
        el.FormResize(&w);   // the first resize after Init only clears the flag
    }

    // Sizes are outer sizes: frame included.
    void setOuter(int widthPx, int heightPx) {
        w.resize(widthPx - (w.frameGeometry().width() - w.width()),
                 heightPx - (w.frameGeometry().height() - w.height()));
    }
    QSize outer() const { return w.frameGeometry().size(); }
    void resizeTo(int widthPx, int heightPx) {
        setOuter(widthPx, heightPx);
        el.FormResize(&w);
    }
};

}  // namespace

TEST_F(Elastic, ControlsAreTheDirectChildWidgetsInCreationOrder) {
    EXPECT_EQ(class_Elastic::Controls(&w), (QVector<QWidget*>{label, button, line, far}));
}

TEST_F(Elastic, FirstResizeAfterInitChangesNothing) {
    EXPECT_EQ(label->geometry(), QRect(20, 60, 100, 30));
    EXPECT_EQ(label->font().pointSizeF(), 11.25);
    EXPECT_EQ(far->x(), 2200);
}

TEST_F(Elastic, AtTheInitialSizeOnlyFontsChange) {
    resizeTo(400, 310);
    EXPECT_EQ(label->geometry(), QRect(20, 60, 100, 30));
    EXPECT_EQ(button->geometry(), QRect(40, 200, 80, 20));
    EXPECT_EQ(label->font().pointSize(), 12);  // 11.25 recorded as 11, up to even
    EXPECT_EQ(button->font().pointSize(), 8);  // 8.5 recorded as 8 (half to even)
    EXPECT_EQ(far->x(), 0) << "an overflowing record stays 0";
}

TEST_F(Elastic, ScalesWidthsAndFontsByWidthHeightsLessTheFrameAllowance) {
    resizeTo(800, 620);
    // Across: exactly twice. Down: by (9300 - 400) / (4650 - 400), not by 2.
    EXPECT_EQ(label->geometry(), QRect(40, 126, 200, 63));
    EXPECT_EQ(label->font().pointSize(), 22);
    EXPECT_EQ(button->font().pointSize(), 16);
    EXPECT_EQ(line->X1(), 300);
    EXPECT_EQ(line->X2(), 3000);
    EXPECT_EQ(line->Y1(), 1884);
    EXPECT_EQ(line->Y2(), 1884);

    resizeTo(600, 310);  // one and a half: 11 x 1.5 = 16.5, floored to 16
    EXPECT_EQ(label->font().pointSize(), 16);
    EXPECT_EQ(button->font().pointSize(), 12);
    // Back at the start: recomputed from the records, no drift.
    resizeTo(400, 310);
    EXPECT_EQ(label->geometry(), QRect(20, 60, 100, 30));
}

TEST_F(Elastic, NeverSmallerThanHalfEachWayOnItsOwn) {
    resizeTo(100, 620);
    EXPECT_EQ(outer(), QSize(200, 620));
    resizeTo(800, 50);
    EXPECT_EQ(outer(), QSize(800, 155));
    resizeTo(10, 10);
    EXPECT_EQ(outer(), QSize(200, 155));
    EXPECT_EQ(label->geometry().left(), 10);
}

TEST_F(Elastic, DegenerateSizesLeavePropertiesAlone) {
    // A window 400 twips high: no vertical divisor, so only the horizontal
    // properties are written.
    class_Elastic tiny;
    QWidget small;
    QLabel* l = new QLabel("x", &small);
    l->setGeometry(2, 2, 10, 10);
    small.resize(20, 20);
    tiny.Init(&small);
    tiny.FormResize(&small);
    small.resize(40, 20);
    tiny.FormResize(&small);
    EXPECT_EQ(l->geometry(), QRect(4, 2, 20, 10));
}
