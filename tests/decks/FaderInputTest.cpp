// The fader acts when the user lets go of it, however it was moved, and
// never while the engine holds it.
#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

#include "DeckFixture.h"

class FaderInput : public DeckFixture {
  protected:
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), QPointF(f->Fader->mapToGlobal(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
        QApplication::sendEvent(f->Fader, &e);
    }
    void clickAndLetGo(QPoint at, QPoint dragTo) {
        const int before = d1()->Volume();
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
        mouse(QEvent::MouseMove, dragTo, Qt::LeftButton);
        held = f->Fader->value();
        appliedWhileHeld = d1()->Volume() != before;
        mouse(QEvent::MouseButtonRelease, dragTo, Qt::NoButton);
    }
    QPoint thumb() const {
        QStyleOptionSlider opt;
        opt.initFrom(f->Fader);
        opt.orientation = Qt::Horizontal;
        opt.maximum = f->Fader->maximum();
        opt.sliderPosition = opt.sliderValue = f->Fader->value();
        return f->Fader->style()
            ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, f->Fader)
            .center();
    }
    bool applied(int v) const { return d1()->Volume() == -100 * v && d2()->Volume() == 100 * v - 6000; }
    int held = 0;
    bool appliedWhileHeld = false;
};

TEST_F(FaderInput, DragsGrooveClicksAndKeysApplyWhenLetGoAndNeverWithTheEngineOn) {
    const QPoint groove(f->Fader->width() - 4, f->Fader->height() / 2);
    clickAndLetGo(groove, groove);
    EXPECT_GT(held, 0);
    EXPECT_FALSE(appliedWhileHeld);
    EXPECT_TRUE(applied(held));

    f->Fader->setValue(0);
    clickAndLetGo(thumb(), thumb() + QPoint(f->Fader->width() / 2, 0));
    EXPECT_GT(held, 10);
    EXPECT_FALSE(appliedWhileHeld);
    EXPECT_TRUE(applied(held));

    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(f->Fader, &left);
    EXPECT_FALSE(applied(held - 1));
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(f->Fader, &up);
    EXPECT_TRUE(applied(held - 1));

    // The engine's fader ignores the user.
    cue({"A.mp3"});
    f->Command2_Click();
    checkAutoFade(true);
    d1()->SetVolume(-1234);
    clickAndLetGo(groove, groove);
    EXPECT_EQ(f->Fader->value(), 0);
    EXPECT_EQ(d1()->Volume(), -1234);
}
