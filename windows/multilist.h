#pragma once
// The multilist viewer: several saved list files open side by side, the songs
// of the selected one shown, and songs copied from it into the cue. It only
// reads list files and never touches the library.
#include <QLabel>
#include <QPushButton>

#include "app/CommonDialog.h"
#include "app/ListView.h"
#include "app/Windows.h"
#include "layout/class_Elastic.h"

class multilist : public Form {
    Q_OBJECT
  public:
    multilist();
    ~multilist() override;

    QLabel* Label5;
    QLabel* lblListTitle;
    ListView* lstPlaylist;  // the open lists: "1", file name, folder
    ListView* lstresults;   // the selected list's songs: "1", name, folder
    QLabel* lblsongs;
    QPushButton* cmdOpen;
    QPushButton* cmdRemove;
    QPushButton* cmdPlaynext;
    QPushButton* cmdEntireList;
    QPushButton* cmdClose;
    CommonDialog CommonDialog1;

    class_Elastic El;
    bool m_Isloading = false;
    QString ListPath;  // the list file whose songs are shown

    // Shows the songs of the list file at ListPathTemp in lstresults.
    void OpenList(const QString& ListPathTemp);
    // The .vlx files among dropped files are opened as lists; others are passed over.
    void DropLists(const QList<QUrl>& urls);
    void ClearList();

    // A list's title: its file name up to the first "."; a name without one is its own title.
    static QString ListTitle(const QString& listName);

    void Form_Load() override;
    void Form_Resize() override;
    void cmdOpen_Click();
    void cmdRemove_Click();
    void cmdPlaynext_Click();
    void cmdEntireList_Click();
    void cmdClose_Click();
    void lstPlaylist_Click();
    void lstresults_DblClick();

  private:
    void addList(const QString& name, const QString& folder);
    void showList(int row);
    void copyToCue(int row, int at);
};
