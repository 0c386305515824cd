#pragma once
// A drawn line between two end points, in twips relative to its window.
#include <QWidget>

class Line : public QWidget {
    Q_OBJECT
  public:
    explicit Line(QWidget* parent = nullptr);
    int X1() const { return x1_; }
    int Y1() const { return y1_; }
    int X2() const { return x2_; }
    int Y2() const { return y2_; }
    void SetPoints(int x1, int y1, int x2, int y2);

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};
