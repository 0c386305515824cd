#pragma once
// Keeps a window's controls in proportion to the window's size: Init records
// every control's design geometry (twips, 16-bit) once while the window
// loads; FormResize rescales them from those records on every resize.
//
// The controls are the window's direct child widgets in creation order
// (QObject::children() order), leaving out child windows (dialogs, menus)
// and Qt's own helpers (object names starting with "qt_"). Controls nested
// inside another control move with it and are not recorded themselves.
// Outer window size is the inner size plus the window's frame (WindowFrame),
// as Form::Height()/Width() give it; the initial size is kept as inner size.
#include <QPointer>
#include <QVector>

class QWidget;

class class_Elastic {
  public:
    // haveWindState: whether the optional window-state argument was given.
    void Init(QWidget* frm, bool haveWindState = false);
    void FormResize(QWidget* frm);

    // The controls Init would record, in order.
    static QVector<QWidget*> Controls(QWidget* frm);

  private:
    // For a line control: y1, x1, y2, x2 in the first four slots.
    struct Record {
        short top = 0, left = 0, height = 0, width = 0, fontSize = 0, rightMargin = 0;
    };
    short initialHeight_ = 0;  // inner, in twips
    short initialWidth_ = 0;
    short lastIndex_ = -1;
    QVector<QPointer<QWidget>> controls_;
    QVector<Record> records_;
    bool skipNextResize_ = false;
    bool resizing_ = false;
};
