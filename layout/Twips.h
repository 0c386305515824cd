#pragma once
// Window geometry is designed in twips; on screen 15 twips make one
// device-independent pixel. It sits with the layout code, which scales these
// designs, so every window and the elastic layout share one conversion.
#include <QFont>
#include <QString>
#include <QWidget>
#include <cmath>

namespace Twips {

constexpr int kPerPixel = 15;

inline int px(double twips) {
    return static_cast<int>(std::lround(twips / kPerPixel));
}
inline int tw(int pixels) {
    return pixels * kPerPixel;
}

inline void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(px(left), px(top), px(width), px(height));
}

// The designed faces are Windows fonts; these are the metric-compatible (or
// closest) faces a Debian desktop has.
inline QFont font(const QString& family, double points = 8.25, bool bold = false) {
    QString face = family;
    int weight = bold ? QFont::Bold : QFont::Normal;
    if (family == "Times New Roman")
        face = "Liberation Serif";
    else if (family == "Arial" || family == "MS Sans Serif")
        face = "Liberation Sans";
    else if (family == "Arial Black") {
        face = "Liberation Sans";
        weight = QFont::Black;
    } else if (family == "Comic Sans MS")
        face = "Liberation Sans Narrow";
    QFont f(face);
    f.setPointSizeF(points);
    f.setWeight(static_cast<QFont::Weight>(weight));
    return f;
}

// A captioned control (label, button, check box) in the given face, placed in twips.
template <class W>
W* control(QWidget* parent, const QString& caption, const QFont& face, int left, int top, int width,
           int height) {
    auto* c = new W(caption, parent);
    c->setFont(face);
    place(c, left, top, width, height);
    return c;
}

}  // namespace Twips
