#pragma once
// QSlider reports letting go of its thumb (sliderReleased) but not of a click
// on its groove, which pages the value by mouse press, nor of the keyboard.
// This watcher raises released() for those, so a slider whose value is only
// acted on when the user lets go also acts on them. Setting the value from
// code raises nothing, and the wheel is kept off the slider, since it has no
// "let go" at all.
#include <QObject>

class QSlider;

class SliderRelease : public QObject {
    Q_OBJECT
  public:
    // Watches the slider; owned by it.
    explicit SliderRelease(QSlider* slider);

  signals:
    void released();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSlider* slider_;
    bool grooveClick_ = false;
    bool keyMoved_ = false;
};
