#pragma once
// The about window: the program's name, the maker's web address (a click
// opens it) and the version's revision number.
#include <QLabel>
#include <QPushButton>
#include <QVector>

#include "app/Windows.h"
#include "layout/Line.h"

// Who makes the program and where to reach them; the help menu and the about
// window both use these.
namespace Maker {
inline const QString kName = QStringLiteral("Velumix Project");
inline const QString kWebAddress = QStringLiteral("https://velumix.example.org");
inline const QString kProblemPage = QStringLiteral("https://velumix.example.org/problems");
inline const QString kSupportAddress = QStringLiteral("support@velumix.example.org");
}  // namespace Maker

class frmAbout : public Form {
    Q_OBJECT
  public:
    frmAbout();
    void Form_Load() override;

    QLabel* Label3;  // the program's name
    QLabel* Label2;  // the maker's web address
    QLabel* Label1;  // "Version:"
    QPushButton* cmdOk;
    QVector<Line*> Line1;

    void Label2_Click();
    void cmdOk_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
