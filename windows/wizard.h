#pragma once
// The quick tour: two pages that point at the two halves of the main window.
// Page 1 sits to the right of the main window with its arrows pointing left
// at the search side; "&Next" moves it over the search side with the arrows
// pointing right at the play list. There is no way back to page 1: closing
// unloads the window, so the next tour starts fresh.
#include <QLabel>
#include <QPushButton>
#include <QVector>

#include "app/Windows.h"

class wizard : public Form {
    Q_OBJECT
  public:
    wizard();
    void Form_Load() override;

    // Control arrays: each page shows and hides its members by index.
    QVector<QLabel*> lblwiz;    // 0: the page text, 1: the warning (page 2)
    QVector<QLabel*> lblLeft;   // 0..3: "<--", shown on page 1
    QVector<QLabel*> lblright;  // 0..3: "-->", shown on page 2
    QPushButton* cmdNext;
    QPushButton* cmdClose;

    void cmdNext_Click();
    void cmdClose_Click();

    static const QString kPage1;
    static const QString kPage2;
    static const QString kWarning;

  private:
    // Left and top edges relative to the main window's (the screen origin without one).
    void PlaceBesideMain(int leftOffsetTwips);
};
