#pragma once
// Keeps a window's controls in proportion to the window's size: Init records
// every control's design geometry (twips, 16-bit) once while the window
// loads; FormResize rescales them from those records on every resize.
// The controls are the window's child widgets in creation order.
#include <QVector>

class QWidget;

class class_Elastic {
  public:
    // haveWindState: whether the optional window-state argument was given.
    void Init(QWidget* frm, bool haveWindState = false);
    void FormResize(QWidget* frm);

  private:
    struct Record {
        short top = 0, left = 0, height = 0, width = 0, fontSize = 0, rightMargin = 0;
    };
    short initialHeight_ = 0;
    short initialWidth_ = 0;
    short lastIndex_ = -1;
    QVector<Record> records_;
    bool skipNextResize_ = false;
};
