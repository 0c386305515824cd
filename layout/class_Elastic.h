#pragma once
class QWidget;

// Keeps a window's controls in proportion to the window's size.
class class_Elastic {
  public:
    void Init(QWidget* frm);
    void FormResize(QWidget* frm);
};
