#pragma once
// The music folder setup window: lists the library's folders with their
// number of songs, adds, removes and rescans folders, and holds the two
// library options (read tags while scanning, rescan every folder at start).
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "app/ListView.h"
#include "app/Windows.h"
#include "layout/class_Elastic.h"

class frmSetup : public Form {
    Q_OBJECT
  public:
    frmSetup();

    QLabel* Label5;
    ListView* lstPaths;  // columns "id" (hidden), "Path(s)", "# of Songs"
    QCheckBox* Check1;   // read tags while scanning; ticked at every load, never stored
    QCheckBox* Check2;   // rescan all folders at start: settings.ext1
    QPushButton* cmdRemove;
    QPushButton* cmdUpdate;
    QPushButton* cmdAdd;
    QPushButton* cmdUpdateAll;
    QPushButton* Command3;  // "&Close"
    QLabel* lblupdate;

    void FillList();
    void UpdateText();

    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(int& Cancel) override;
    void Check1_Click();
    void Check2_Click();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdUpdate_Click();
    void cmdUpdateAll_Click();
    void Command3_Click();

  private:
    // A tree's top goes with its whole tree, after one question naming how much.
    void removeTree(const QString& top);
    // Folders a tree scan could not list, named under the status text.
    void noteUnreadable(const QStringList& folders);

    class_Elastic El;
    bool m_Isloading = false;
};
