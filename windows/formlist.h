#pragma once
// The master song list: every song of the library as one "name folder" line,
// sorted by name, from which a song goes to the cue as the next one to play
// or at the end.
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include "app/Windows.h"
#include "layout/class_Elastic.h"
#include "windows/SongListModel.h"

class formlist : public Form {
    Q_OBJECT
  public:
    formlist();
    ~formlist() override;

    QLabel* Label3;
    QTreeView* lstShowSongs;  // a plain list of text entries, one column while it has one
    QLabel* Label1;
    QLabel* Label2;  // the number of songs
    QPushButton* cmdPlaynext;
    QPushButton* cmdClose;

    class_Elastic El;
    bool m_Isloading = false;

    // Lists every song of the library and shows the total.
    void FillList();

    // List box access, 0-based; ListIndex is -1 when no entry is selected.
    int ListCount() const;
    QString List(int index) const;
    int ListIndex() const;
    void SetListIndex(int index);

    // Takes an entry apart into display name and folder. A folder starts with
    // "/" and a file name cannot hold one, so the first "/" starts the folder
    // and the blank before it separates the two. False when the entry has no
    // such folder or no name: such an entry never goes to the cue.
    static bool SplitEntry(const QString& entry, QString& name, QString& folder);

    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(int& Cancel) override;
    void cmdPlaynext_Click();
    void lstShowSongs_DblClick();
    void cmdClose_Click();

  private:
    // Puts the entry into the cue at the 1-based row (0 = at the end).
    void addToCue(const QString& entry, bool atTop);
    SongListModel* entries_;
};
