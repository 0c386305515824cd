// The fader acts when the user lets go of it, whichever way it was moved, and
// never when code moves it.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include "DeckFixture.h"

class FaderInput : public DeckFixture {
  protected:
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), QPointF(f.Fader->mapToGlobal(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
        QApplication::sendEvent(f.Fader, &e);
    }
    void key(QEvent::Type type, int k) {
        QKeyEvent e(type, k, Qt::NoModifier);
        QApplication::sendEvent(f.Fader, &e);
    }
    QRect thumb() const {
        QStyleOptionSlider opt;
        opt.initFrom(f.Fader);
        opt.orientation = Qt::Horizontal;
        opt.minimum = f.Fader->minimum();
        opt.maximum = f.Fader->maximum();
        opt.sliderPosition = opt.sliderValue = f.Fader->value();
        opt.pageStep = f.Fader->pageStep();
        opt.singleStep = f.Fader->singleStep();
        opt.subControls = QStyle::SC_All;
        return f.Fader->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, f.Fader);
    }
    bool applied(int v) const { return d1()->Volume() == -100 * v && d2()->Volume() == 100 * v - 6000; }
};

TEST_F(FaderInput, CodeMovesTheFaderSilently) {
    f.Fader->setValue(45);
    EXPECT_EQ(d1()->Volume(), 0);
    EXPECT_EQ(d2()->Volume(), -3000);
}

TEST_F(FaderInput, AClickOnTheGrooveAppliesWhenLetGo) {
    const QPoint groove(f.Fader->width() - 4, f.Fader->height() / 2);
    ASSERT_FALSE(thumb().contains(groove));
    mouse(QEvent::MouseButtonPress, groove, Qt::LeftButton);
    const int v = f.Fader->value();
    ASSERT_GT(v, 0);
    EXPECT_EQ(d1()->Volume(), 0);  // not while held
    mouse(QEvent::MouseButtonRelease, groove, Qt::NoButton);
    EXPECT_TRUE(applied(v));
}

TEST_F(FaderInput, DraggingTheThumbAppliesWhenLetGo) {
    const QPoint grab = thumb().center();
    mouse(QEvent::MouseButtonPress, grab, Qt::LeftButton);
    ASSERT_TRUE(f.Fader->isSliderDown());
    mouse(QEvent::MouseMove, grab + QPoint(f.Fader->width() / 2, 0), Qt::LeftButton);
    const int v = f.Fader->value();
    ASSERT_GT(v, 10);
    EXPECT_EQ(d1()->Volume(), 0);
    mouse(QEvent::MouseButtonRelease, grab + QPoint(f.Fader->width() / 2, 0), Qt::NoButton);
    EXPECT_TRUE(applied(v));
}

TEST_F(FaderInput, KeysApplyWhenLetGoAndTheWheelIsIgnored) {
    key(QEvent::KeyPress, Qt::Key_Right);
    key(QEvent::KeyPress, Qt::Key_Right);
    EXPECT_EQ(d1()->Volume(), 0);
    key(QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_TRUE(applied(2));

    QWheelEvent w(QPointF(10, 10), QPointF(f.Fader->mapToGlobal(QPoint(10, 10))), QPoint(), QPoint(0, -120),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.Fader, &w);
    EXPECT_EQ(f.Fader->value(), 2);
}

TEST_F(FaderInput, TheEnginesDisabledFaderIgnoresTheUser) {
    cue({"A.mp3"});
    f.Command2_Click();
    checkAutoFade(true);
    ASSERT_FALSE(f.Fader->isEnabled());
    d1()->SetVolume(-1234);
    const QPoint groove(f.Fader->width() - 4, f.Fader->height() / 2);
    mouse(QEvent::MouseButtonPress, groove, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, groove, Qt::NoButton);
    EXPECT_EQ(f.Fader->value(), 0);
    EXPECT_EQ(d1()->Volume(), -1234);
}
