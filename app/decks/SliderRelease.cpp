#include "app/decks/SliderRelease.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSlider>

SliderRelease::SliderRelease(QSlider* slider) : QObject(slider), slider_(slider) {
    slider->installEventFilter(this);
    // Emitted only for the user's actions, never for setValue.
    connect(slider, &QAbstractSlider::actionTriggered, this, [this] {
        if (!slider_->isSliderDown() && !grooveClick_) keyMoved_ = true;
    });
}

bool SliderRelease::eventFilter(QObject* watched, QEvent* event) {
    // A disabled slider is the program's; its events are not the user's moves.
    if (watched != slider_ || !slider_->isEnabled()) return false;
    switch (event->type()) {
        case QEvent::Wheel:
            return true;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                // Seen before the slider handles the press, so the thumb is not down yet;
                // whether the press grabbed the thumb is known only at release.
                grooveClick_ = true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && grooveClick_) {
                grooveClick_ = false;
                // A grabbed thumb reports its own release.
                if (!slider_->isSliderDown()) emit released();
            }
            break;
        case QEvent::KeyRelease:
            if (!static_cast<QKeyEvent*>(event)->isAutoRepeat() && keyMoved_) {
                keyMoved_ = false;
                emit released();
            }
            break;
        default:
            break;
    }
    return false;
}
