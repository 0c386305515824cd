#include "layout/class_Elastic.h"

#include <QScreen>
#include <QWidget>
#include <cmath>
#include <limits>
#include <optional>

#include "layout/Twips.h"
#include "layout/Line.h"
#include "layout/WindowFrame.h"

namespace {

constexpr int kMaxFontPoints = 2160;

// Records are 16-bit: halves go to the even neighbour (the default rounding
// mode), and a value that does not fit, or is not a number, stays 0.
short record(double value) {
    if (!std::isfinite(value)) return 0;
    const double r = std::nearbyint(value);
    if (r < std::numeric_limits<short>::min() || r > std::numeric_limits<short>::max()) return 0;
    return static_cast<short>(r);
}

// ⌊recorded ÷ divisor⌋ when it makes a whole number the control can take.
std::optional<int> scaled(short recorded, double divisor) {
    const double v = std::floor(double(recorded) / divisor);
    if (!std::isfinite(v) || std::fabs(v) > 1e8) return std::nullopt;
    return static_cast<int>(v);
}

// Outer sizes are the inner size plus the frame as known now: the frame
// appears only once the window is mapped, after Init, so the initial size is
// kept as an inner size and measured with the same frame as the current one.
int outerHeight(const QWidget* w, int innerTwips) {
    return innerTwips + Twips::tw(WindowFrame::Vertical(w));
}
int outerWidth(const QWidget* w, int innerTwips) {
    return innerTwips + Twips::tw(WindowFrame::Horizontal(w));
}
int outerHeight(const QWidget* w) {
    return outerHeight(w, Twips::tw(w->height()));
}
int outerWidth(const QWidget* w) {
    return outerWidth(w, Twips::tw(w->width()));
}
void setOuterSize(QWidget* w, int heightTwips, int widthTwips) {
    w->resize(std::max(0, Twips::px(widthTwips) - WindowFrame::Horizontal(w)),
              std::max(0, Twips::px(heightTwips) - WindowFrame::Vertical(w)));
}

}  // namespace

QVector<QWidget*> class_Elastic::Controls(QWidget* frm) {
    QVector<QWidget*> out;
    for (QObject* o : frm->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        out.push_back(w);
    }
    return out;
}

void class_Elastic::Init(QWidget* frm, bool haveWindState) {
    initialHeight_ = record(Twips::tw(frm->height()));
    initialWidth_ = record(Twips::tw(frm->width()));
    const QVector<QWidget*> controls = Controls(frm);
    lastIndex_ = static_cast<short>(std::min<qsizetype>(controls.size(), 32768) - 1);
    controls_.clear();
    records_ = QVector<Record>(lastIndex_ + 1);
    for (int i = 0; i <= lastIndex_; ++i) {
        QWidget* c = controls[i];
        controls_.push_back(c);
        Record& r = records_[i];
        if (auto* line = qobject_cast<Line*>(c)) {
            r.top = record(line->Y1());
            r.left = record(line->X1());
            r.height = record(line->Y2());
            r.width = record(line->X2());
            continue;
        }
        const QRect g = c->geometry();
        r.top = record(Twips::tw(g.y()));
        r.left = record(Twips::tw(g.x()));
        r.height = record(Twips::tw(g.height()));
        r.width = record(Twips::tw(g.width()));
        // A font sized in pixels has no point size to record.
        const double points = c->font().pointSizeF();
        r.fontSize = points > 0 ? record(points) : 0;
        // Qt widgets have no right margin: that slot stays 0.
    }

    // As if designed on a screen of 9690 x 7290 twips. Every window here sets
    // its designed size right after Init, so this only matters to a caller
    // that keeps it.
    if (const QScreen* screen = frm->screen()) {
        const int screenH = Twips::tw(screen->geometry().height());
        const int screenW = Twips::tw(screen->geometry().width());
        if (frm->isMaximized() || haveWindState)
            setOuterSize(frm, screenH, screenW);
        else
            setOuterSize(frm, int(float(outerHeight(frm)) * float(screenH) / 7290.0f),
                         int(float(outerWidth(frm)) * float(screenW) / 9690.0f));
    }
    skipNextResize_ = true;
}

void class_Elastic::FormResize(QWidget* frm) {
    if (skipNextResize_) {
        skipNextResize_ = false;
        return;
    }
    // Setting the minimum size below resizes the window, which calls back here.
    if (resizing_) return;
    resizing_ = true;

    int h = outerHeight(frm);
    int w = outerWidth(frm);
    const int initialH = outerHeight(frm, initialHeight_), initialW = outerWidth(frm, initialWidth_);
    const int minH = initialH / 2, minW = initialW / 2;
    if (h < minH || w < minW) {
        h = std::max(h, minH);
        w = std::max(w, minW);
        setOuterSize(frm, h, w);
    }
    const double vertical = double(initialH - 400) / double(h - 400);
    const double horizontal = double(initialW) / double(w);

    const bool wasUpdating = frm->updatesEnabled();
    frm->setUpdatesEnabled(false);
    for (int i = 0; i <= lastIndex_ && i < controls_.size(); ++i) {
        QWidget* c = controls_[i];
        if (!c) continue;  // destroyed since Init
        const Record& r = records_[i];
        if (auto* line = qobject_cast<Line*>(c)) {
            const auto y1 = scaled(r.top, vertical), x1 = scaled(r.left, horizontal);
            const auto y2 = scaled(r.height, vertical), x2 = scaled(r.width, horizontal);
            line->SetPoints(x1.value_or(line->X1()), y1.value_or(line->Y1()), x2.value_or(line->X2()),
                            y2.value_or(line->Y2()));
            continue;
        }
        QRect g = c->geometry();
        if (auto top = scaled(r.top, vertical)) g.moveTop(Twips::px(*top));
        if (auto left = scaled(r.left, horizontal)) g.moveLeft(Twips::px(*left));
        if (auto height = scaled(r.height, vertical); height && *height >= 0) g.setHeight(Twips::px(*height));
        if (auto width = scaled(r.width, horizontal); width && *width >= 0) g.setWidth(Twips::px(*width));
        c->setGeometry(g);
        // Font sizes follow the width only, rounded up to an even size; sizes no
        // font can take are refused.
        if (auto n = scaled(r.fontSize, horizontal); n && *n + *n % 2 > 0 && *n + *n % 2 <= kMaxFontPoints) {
            QFont f = c->font();
            f.setPointSize(*n + *n % 2);
            c->setFont(f);
        }
    }
    frm->setUpdatesEnabled(wasUpdating);
    resizing_ = false;
}
