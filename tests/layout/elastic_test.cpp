#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "layout/Line.h"
#include "layout/WindowFrame.h"
#include "layout/class_Elastic.h"

// A shown window under a window manager's 25 px title bar, 400 x 310 px
// outside (6000 x 4650 twips), with a label, a button, a line and a control
// beyond what 16 bits of twips can hold.
// Each row: the outer size asked for, the size kept (never below half each way
// on its own; the height's floor at a width kept is the windows tests'), and
// where the label, the button's font and the line end up. Across scales by
// width; down by (height - 400) / (4650 - 400) twips, so 620 px moves the
// label's top from 900 to 1884 twips, not to 1800.
TEST(Elastic, ScalesEachControlFromItsRecordWithinHalfTheDesignedSize) {
    WindowFrame::SetProbe(
        [](const QWidget* shown) { return shown->isVisible() ? QMargins(0, 25, 0, 0) : QMargins(); });
    QWidget w;
    auto* label = new QLabel("label", &w);
    auto* button = new QPushButton("button", &w);
    auto* line = new Line(&w);
    auto* far = new QLabel("far", &w);
    new QTimer(&w);   // no widget: not a control
    new QDialog(&w);  // a window of its own: not a control
    label->setGeometry(20, 60, 100, 30);
    label->setFont(QFont("Sans", 11));  // recorded 11
    QFont half("Sans");
    half.setPointSizeF(8.5);  // recorded 8: halves go to even
    button->setFont(half);
    line->SetPoints(150, 900, 1500, 900);
    far->setGeometry(2200, 10, 50, 20);  // left 33000 twips
    class_Elastic el;
    const auto resizeTo = [&](int outerWidth, int outerHeight) {
        w.resize(outerWidth, outerHeight - 25);
        el.FormResize(&w);
    };
    w.show();
    resizeTo(400, 310);
    el.Init(&w);
    resizeTo(400, 310);  // the designed size, as every window sets it after Init
    EXPECT_EQ(class_Elastic::Controls(&w), (QVector<QWidget*>{label, button, line, far}));
    EXPECT_EQ(label->font().pointSize(), 11) << "the first resize after Init changes nothing";
    EXPECT_EQ(far->x(), 2200);
    // Each row: asked, kept, the label's place, its and the button's point sizes, the line.
    const std::tuple<QSize, QSize, QRect, QPoint, QLine> rows[] = {
        {{800, 620}, {800, 620}, {40, 126, 200, 63}, {22, 16}, {300, 1884, 3000, 1884}},
        {{600, 310}, {600, 310}, {30, 60, 150, 30}, {16, 12}, {225, 900, 2250, 900}},  // 16.5 floors
        // Back at divisors 1: no drift, fonts round up to even, the overflowed far record moves.
        {{400, 310}, {400, 310}, {20, 60, 100, 30}, {12, 8}, {150, 900, 1500, 900}},
        {{100, 620}, {200, 620}, {10, 126, 50, 63}, {6, 4}, {75, 1884, 750, 1884}},
    };
    for (const auto& [asked, kept, place, points, ends] : rows) {
        SCOPED_TRACE(testing::PrintToString(asked));
        resizeTo(asked.width(), asked.height());
        EXPECT_EQ(QSize(w.width(), w.height() + 25), kept);
        EXPECT_EQ(label->geometry(), place);
        EXPECT_EQ(QPoint(label->font().pointSize(), button->font().pointSize()), points);
        EXPECT_EQ(QLine(line->X1(), line->Y1(), line->X2(), line->Y2()), ends);
    }
    EXPECT_EQ(far->x(), 0);
    WindowFrame::SetProbe(nullptr);
}
