#pragma once
// The manual in a window of the program's own, for a desktop that has nothing
// to show HTML with: Qt's text browser shows it as it is, links included.
#include <QTextBrowser>

#include "app/Windows.h"

class ManualViewer : public Form {
    Q_OBJECT
  public:
    ManualViewer();

    // Shows the file, in the one viewer window.
    static void Open(const QString& file);

    QTextBrowser* browser;
};
