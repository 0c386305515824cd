#include "layout/Line.h"

#include <QPainter>

#include "layout/Twips.h"

Line::Line(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::SetPoints(int x1, int y1, int x2, int y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    // The widget covers the line's bounding box (at least one pixel each way).
    const int l = std::min(x1, x2), t = std::min(y1, y2);
    setGeometry(Twips::px(l), Twips::px(t), std::max(1, Twips::px(std::abs(x2 - x1))) + 1,
                std::max(1, Twips::px(std::abs(y2 - y1))) + 1);
    update();
}

void Line::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const QPoint o = pos();
    p.drawLine(Twips::px(x1_) - o.x(), Twips::px(y1_) - o.y(), Twips::px(x2_) - o.x(),
               Twips::px(y2_) - o.y());
}
