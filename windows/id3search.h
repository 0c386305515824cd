#pragma once
// The tag window: searches the library by tag fields, edits one file's tag
// in the file itself and mirrors the change into the library, and sends songs
// to the cue. In browse mode the six fields are search criteria; in edit mode
// they hold the tag of the file being edited until it is saved or cancelled.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "app/ListView.h"
#include "app/Windows.h"
#include "layout/class_Elastic.h"
#include "library/NativeTag.h"

class id3search : public Form {
    Q_OBJECT
  public:
    id3search();
    ~id3search() override;

    QLabel* lblTitle;
    QLabel* mp3Viewer;  // the "Artist" caption
    QLabel* lblAlbum;
    QLabel* lblYear;
    QLabel* lblComment;
    QLabel* lblGenre;
    QLineEdit* txtTitle;  // its "Tag" property holds the edited file's tag header
    QLineEdit* txtArtist;
    QLineEdit* txtAlbum;
    QLineEdit* txtYear;
    QLineEdit* txtComment;
    QComboBox* cmbGenre;
    QPushButton* cmdSearch;
    QPushButton* cmdListAll;
    // "1", then title, artist2, album, year, comment, genre, file name, folder
    ListView* lstresults;
    QLabel* lblTotalsongs;
    QPushButton* cmdEdit;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;
    QPushButton* cmdPlayNext;
    QPushButton* cmdclose;

    class_Elastic El;
    bool m_Isloading = false;
    QString StrSQL2;   // the current listing's statement
    QString EditFile;  // full path of the file being edited

    // "TAG" while editing a file that had a tag (the save overwrites it), else "".
    QString TitleTag() const;
    void SetTitleTag(const QString& header);

    // Flips between browse and edit mode.
    void ToggleButtons();
    // Lists the rows of the statement StrSQL2 and shows the total.
    void FillList();
    // The search statement for the criteria title, artist2, album, year,
    // comment and genre (already trimmed); "" when all are blank.
    static QString SearchStatement(const QStringList& criteria);
    // The question asked before saving texts (title, artist, album, year,
    // comment) into a file whose only tag is ID3v1, naming the fields it
    // would cut; "" when all fit.
    static QString ShortenedFields(const QStringList& texts);

    void Form_Load() override;
    void Form_Resize() override;
    void cmdSearch_Click();
    void cmdListAll_Click();
    void cmdEdit_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdPlayNext_Click();
    void cmdclose_Click();
    void lstresults_DblClick();

  private:
    QStringList fieldTexts() const;
    void clearFields();
    void showFields(const NativeTag::Fields& f);
    // Whether a save also writes the file's own tag (an MP3's ID3v2 tag, a
    // WMA's attributes) with every field whole, beside the ID3v1 tag.
    static bool hasOwnTag(const QString& file);
    void sendToCue(bool atTop);
    int selectedRow() const;
};
