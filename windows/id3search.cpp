#include "windows/id3search.h"

#include <QCompleter>
#include <memory>

#include "app/Cue.h"
#include "app/PreListen.h"
#include "app/Module1.h"
#include "app/TagOptions.h"
#include "app/Windows.h"
#include "seams/Seams.h"
#include "layout/Twips.h"
#include "library/FileRewrite.h"
#include "library/ID3Tag.h"
#include "library/Mp3Tags.h"
#include "library/NativeTag.h"
#include "library/Scanner.h"
#include "library/SongListing.h"

namespace {

QLabel* makeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QLabel>(parent, caption, Twips::font("MS Sans Serif", 8.25), l, t, w, h);
}

QLineEdit* makeText(QWidget* parent, const QString& tip, int t) {
    auto* txt = new QLineEdit(parent);
    txt->setToolTip(tip);
    Twips::place(txt, 3600, t, 4305, 375);
    return txt;
}

QPushButton* makeButton(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QPushButton>(parent, caption, Twips::font("Arial Black", 9), l, t, w, h);
}

// A tag field is shown up to its first NUL: the rest is padding, which the
// library keeps as the file holds it.
QString shown(const QString& field) {
    const qsizetype nul = field.indexOf(QChar(0));
    return nul < 0 ? field : field.left(nul);
}

QString quoted(const QString& value) {
    return Module1::SqlQuote(value).toString();
}

// The shared recordset is opened and closed within one handler, so one still
// open here is the leftover of a statement that failed half-way.
void openLibrary(const QString& sql) {
    Module1::rsLibrary.Close();
    Module1::rsLibrary.Open(sql, Module1::cnLibrary);
}

bool isMp3(const QString& file) {
    return file.right(3).toUpper() == QLatin1String("MP3");
}

const char* const kColumns[] = {"title", "artist2", "album", "year", "comment", "genre"};

}  // namespace

id3search::id3search() {
    setWindowTitle(QStringLiteral("ID3 Tag Search / Edit"));
    // The designed outer size, which the layout records as its reference.
    SetWidth(8025);
    SetHeight(6765);
    // Creation order is the layout's control order.
    lblTitle = makeLabel(this, QStringLiteral("Title"), 0, 0, 3585, 375);
    mp3Viewer = makeLabel(this, QStringLiteral("Artist"), 0, 360, 3585, 375);
    lblAlbum = makeLabel(this, QStringLiteral("Album"), 0, 720, 3585, 375);
    lblYear = makeLabel(this, QStringLiteral("Year"), 0, 1080, 3585, 375);
    lblComment = makeLabel(this, QStringLiteral("Comment"), 0, 1440, 3585, 375);
    lblGenre = makeLabel(this, QStringLiteral("Genre"), 0, 1800, 3585, 315);
    txtTitle = makeText(this, QStringLiteral("Title of the album"), 0);
    txtArtist = makeText(this, QStringLiteral("Name of the Artist who recorded the album"), 360);
    txtAlbum = makeText(this, QStringLiteral("Album Name"), 720);
    txtYear = makeText(this, QStringLiteral("Year the album was recorded"), 1080);
    txtComment = makeText(this, QStringLiteral("Enter your comments of the MP3 here"), 1440);
    cmbGenre = new QComboBox(this);
    cmbGenre->setEditable(true);
    cmbGenre->setInsertPolicy(QComboBox::NoInsert);
    // A typed name stays as typed: "rock" is not the table's "Rock".
    cmbGenre->completer()->setCaseSensitivity(Qt::CaseSensitive);
    cmbGenre->setToolTip(QStringLiteral("What kind of music/audio the MP3 is"));
    Twips::place(cmbGenre, 3600, 1800, 4335, 315);
    cmdSearch = makeButton(this, QStringLiteral("&Search"), 0, 2160, 7920, 375);
    cmdListAll =
        makeButton(this, QStringLiteral("&List All Songs and ID3 Tag Information"), 0, 2520, 7920, 375);
    lstresults = new ListView(this);
    lstresults->setFont(Twips::font("MS Sans Serif", 8.25));
    lstresults->SetColumns({{"id", 0},
                            {"Title", 1800},
                            {"Artist", 1500},
                            {"Album", 1500},
                            {"Year", 600},
                            {"Comment", 1500},
                            {"Genre", 1000},
                            {"Filename", 2500},
                            {"path", 0}});
    Twips::place(lstresults, 0, 2880, 7875, 2775);
    lblTotalsongs = new QLabel(this);
    lblTotalsongs->setFont(Twips::font("Times New Roman", 11.25, true));
    Twips::place(lblTotalsongs, 0, 5640, 7935, 375);
    cmdEdit = makeButton(this, QStringLiteral("&Edit ID3 Tag"), 0, 6000, 1800, 375);
    cmdSave = makeButton(this, QStringLiteral("&Save"), 1800, 6000, 1080, 375);
    cmdCancel = makeButton(this, QStringLiteral("&Cancel"), 2880, 6000, 1080, 375);
    cmdPlayNext = makeButton(this, QStringLiteral("Play &Next"), 3960, 6000, 2160, 375);
    cmdclose = makeButton(this, QStringLiteral("&Close"), 6120, 6000, 1800, 375);
    cmdSave->setHidden(true);
    cmdCancel->setHidden(true);

    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(cmdListAll, &QPushButton::clicked, this, [this] { cmdListAll_Click(); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] { cmdEdit_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdPlayNext, &QPushButton::clicked, this, [this] { cmdPlayNext_Click(); });
    connect(cmdclose, &QPushButton::clicked, this, [this] { cmdclose_Click(); });
    connect(lstresults, &ListView::DblClick, this, [this] { lstresults_DblClick(); });
    // Dragged into the cue as the cue's rows: the file name and folder columns.
    PreListen::MakeAction(lstresults, [this](CueSong& song) {
        const int row = selectedRow();
        if (row > 0) song = {lstresults->SubItem(row, 7), lstresults->SubItem(row, 8)};
        return row > 0;
    });
    lstresults->setContextMenuPolicy(Qt::ActionsContextMenu);
    lstresults->SetDragRows([this] {
        QVector<QStringList> rows;
        for (int i = 1; i <= lstresults->Count(); ++i)
            if (lstresults->Selected(i))
                rows.append(Cue::Row({lstresults->SubItem(i, 7), lstresults->SubItem(i, 8)}));
        return rows;
    });
}

id3search::~id3search() = default;

QString id3search::TitleTag() const {
    return txtTitle->property("Tag").toString();
}

void id3search::SetTitleTag(const QString& header) {
    txtTitle->setProperty("Tag", header);
}

void id3search::Form_Load() {
    ID3Tag::LoadGenres();
    for (int i = 0; i <= 125; ++i) cmbGenre->addItem(ID3Tag::GenreList[i]);
    // Filling the box picked its first name; an untouched genre must be no criterion.
    cmbGenre->setCurrentIndex(-1);
    cmbGenre->clearEditText();
    m_Isloading = true;
    El.Init(this);
    m_Isloading = false;
    SetHeight(6765);
    SetWidth(8025);
}

void id3search::Form_Resize() {
    if (!m_Isloading) El.FormResize(this);
    // Never smaller than designed.
    if (Height() < 6765) SetHeight(6765);
    if (Width() < 8025) SetWidth(8025);
}

void id3search::ToggleButtons() {
    for (QWidget* w : {static_cast<QWidget*>(cmdSearch), static_cast<QWidget*>(cmdListAll),
                       static_cast<QWidget*>(lstresults), static_cast<QWidget*>(cmdEdit),
                       static_cast<QWidget*>(cmdPlayNext)})
        w->setEnabled(!w->isEnabled());
    cmdSave->setHidden(!cmdSave->isHidden());
    cmdCancel->setHidden(!cmdCancel->isHidden());
}

QStringList id3search::fieldTexts() const {
    return {txtTitle->text(), txtArtist->text(),  txtAlbum->text(),
            txtYear->text(),  txtComment->text(), cmbGenre->currentText()};
}

void id3search::clearFields() {
    for (QLineEdit* t : {txtTitle, txtArtist, txtAlbum, txtYear, txtComment}) t->clear();
    cmbGenre->setEditText(QString());
}

QString id3search::SearchStatement(const QStringList& criteria) {
    QString sql = QStringLiteral("Select * from songs where ");
    bool first = true;
    for (int i = 0; i < 6 && i < criteria.size(); ++i) {
        if (criteria[i].isEmpty()) continue;
        sql += QString::fromLatin1(first ? " %1 like '%" : " and %1 like '%").arg(QLatin1String(kColumns[i]));
        sql += quoted(criteria[i]) + QStringLiteral("%'");
        first = false;
    }
    return first ? QString() : sql;
}

void id3search::FillList() {
    // The tag columns, then the file name and the folder.
    QStringList fields;
    for (const char* c : kColumns) fields << QString::fromLatin1(c);
    fields << QStringLiteral("artist") << QStringLiteral("path");
    // A failed read lists what was read so far.
    const auto rows = std::make_shared<SongListing>(Module1::cnLibrary, StrSQL2, fields);
    lstresults->SetSourceRows(rows->Count(), [rows](int r) {
        QStringList cells{QStringLiteral("1")};
        for (int c = 0; c < 6; ++c) cells << shown(rows->Text(r, c));
        return cells << rows->Text(r, 6) << rows->Text(r, 7);
    });
    // Play Next and Edit act on the selected row, so a fresh listing has one.
    if (rows->Count() > 0) lstresults->SetSelectedItem(1);
    lblTotalsongs->setText(QStringLiteral("Total Songs Found: ") + QString::number(rows->Count()));
}

void id3search::cmdListAll_Click() {
    StrSQL2 = QStringLiteral("Select * from songs order by artist");
    FillList();
}

void id3search::cmdSearch_Click() {
    QStringList criteria = fieldTexts();
    for (QString& c : criteria) c = c.trimmed();
    const QString sql = SearchStatement(criteria);
    if (sql.isEmpty()) return;
    StrSQL2 = sql;
    FillList();
}

int id3search::selectedRow() const {
    const int row = lstresults->SelectedItem();
    return row > 0 && lstresults->Selected(row) ? row : 0;
}

void id3search::cmdEdit_Click() {
    // Without a selected row there is no file to edit: a leftover EditFile
    // would have the next save write into the wrong file.
    const int row = selectedRow();
    if (row == 0) return;
    EditFile = lstresults->SubItem(row, 8) + lstresults->SubItem(row, 7);
    ID3Tag::ID3v1Tag tag;
    NativeTag::Fields native;
    if (Scanner::IsMoreAudioName(EditFile)) {
        // These keep their tag in their own format: no ID3v1 header to remember.
        SetTitleTag(QString());
        if (NativeTag::Read(EditFile, native)) showFields(native);
    } else if (isMp3(EditFile) && Options::Get(Options::ReadAllTagFormats)) {
        // What the scan stored: the ID3v2 tag at full length, gaps from ID3v1.
        const bool found = Mp3Tags::Read(EditFile, native, tag);
        SetTitleTag(tag.Header == QLatin1String("TAG") ? tag.Header : QString());
        if (found) showFields(native);
    } else if (ID3Tag::ReadID3Tag(EditFile, tag)) {
        SetTitleTag(tag.Header);
        showFields({tag.Title, tag.Artist, tag.Album, tag.Year, tag.Comment, ID3Tag::GenreName(tag.Genre)});
    } else {
        // No ID3v1 tag yet: saving appends one. The fields keep what they hold,
        // unless the file's own tag (the one the library shows) can fill them.
        SetTitleTag(QString());
        if (Options::Get(Options::ReadAllTagFormats) && NativeTag::Read(EditFile, native)) showFields(native);
    }
    ToggleButtons();
}

void id3search::showFields(const NativeTag::Fields& f) {
    txtTitle->setText(shown(f.title));
    txtArtist->setText(shown(f.artist));
    txtAlbum->setText(shown(f.album));
    txtYear->setText(shown(f.year));
    txtComment->setText(shown(f.comment));
    cmbGenre->setEditText(f.genre);
}

void id3search::cmdSave_Click() {
    const QStringList texts = fieldTexts();
    QStringList trimmed;
    for (const QString& t : texts) trimmed << t.trimmed();

    ID3Tag::ID3v1Tag tag;
    tag.Header = TitleTag();
    tag.Title = ID3Tag::FieldText(texts[0], 30);
    tag.Artist = ID3Tag::FieldText(texts[1], 30);
    tag.Album = ID3Tag::FieldText(texts[2], 30);
    tag.Year = ID3Tag::FieldText(texts[3], 4);
    tag.Comment = ID3Tag::FieldText(texts[4], 30);
    // The library gets the trimmed genre name, so the file gets that name's number.
    tag.Genre = ID3Tag::GenreCode(trimmed[5]);
    const NativeTag::Fields fields{trimmed[0], trimmed[1], trimmed[2], trimmed[3], trimmed[4], trimmed[5]};
    bool written = false;
    if (Scanner::IsMoreAudioName(EditFile)) {
        written = NativeTag::Write(EditFile, fields);
    } else if (hasOwnTag(EditFile)) {
        // The ID3v1 tag as always, and the file's own tag with every field
        // whole, both in one replacement of the file: all or nothing.
        written = FileRewrite::Replace(EditFile, [&](const QString& copy) {
            return NativeTag::Store(copy, fields) && ID3Tag::StoreID3Tag(copy, tag);
        });
        if (!written)
            Seams::MsgBox(QStringLiteral("Velumix cannot save tag information. The file may be Read Only"));
    } else {
        // The ID3v1 tag is all this file has: nothing is cut without the DJ's word,
        // and text it cannot hold is refused before anything is written, so file
        // and library row never disagree. Either way the DJ stays in the edit.
        const QString cut = ShortenedFields(texts);
        if (!cut.isEmpty() &&
            Seams::MsgBox(cut, Seams::Buttons::YesNo, Seams::Icon::Question) != Seams::Answer::Yes)
            return;
        if (!ID3Tag::CanStore(tag)) return;
        written = ID3Tag::WriteID3Tag(EditFile, tag);
    }
    ToggleButtons();

    const int row = lstresults->SelectedItem();
    if (written && row > 0) {
        for (int k = 1; k <= 6; ++k) lstresults->SetSubItem(row, k, trimmed[k - 1]);
        StrSQL2 = QStringLiteral("Select * from songs where artist='") + quoted(lstresults->SubItem(row, 7)) +
                  QStringLiteral("' And path='") + quoted(lstresults->SubItem(row, 8)) + QStringLiteral("'");
        try {
            openLibrary(StrSQL2);
            // Names compare without case, so Song.mp3 also finds song.mp3: save the exact one.
            while (!Module1::rsLibrary.EOF_() &&
                   Module1::rsLibrary.Fields(QStringLiteral("artist")).toString() !=
                       lstresults->SubItem(row, 7))
                Module1::rsLibrary.MoveNext();
            if (!Module1::rsLibrary.EOF_()) {
                for (int k = 0; k < 6; ++k)
                    Module1::rsLibrary.SetField(QString::fromLatin1(kColumns[k]), trimmed[k]);
                Module1::rsLibrary.Update();
            }
        } catch (const StoreError&) {
            // The file and the list row are updated; the library row stays as it was.
        }
    }
    Module1::rsLibrary.Close();
    SetTitleTag(QString());
    clearFields();
}

bool id3search::hasOwnTag(const QString& file) {
    if (!Options::Get(Options::ReadAllTagFormats)) return false;
    NativeTag::Fields probe;
    if (isMp3(file)) return NativeTag::ReadId3v2(file, probe);
    const QString type = file.right(3).toUpper();
    return type == QLatin1String("WMA") || type == QLatin1String("ASF");
}

QString id3search::ShortenedFields(const QStringList& texts) {
    static const struct {
        const char* name;
        int width;
    } kWidths[] = {{"Title", 30}, {"Artist", 30}, {"Album", 30}, {"Year", 4}, {"Comment", 30}};
    QStringList cut;
    for (int i = 0; i < 5 && i < texts.size(); ++i)
        if (!texts[i].mid(kWidths[i].width).trimmed().isEmpty())
            cut << QStringLiteral("%1 (%2 characters)")
                       .arg(QLatin1String(kWidths[i].name))
                       .arg(kWidths[i].width);
    if (cut.isEmpty()) return QString();
    return QStringLiteral("This file's tag holds only the start of: ") + cut.join(QStringLiteral(", ")) +
           QStringLiteral(". Save them shortened?");
}

void id3search::cmdCancel_Click() {
    clearFields();
    ToggleButtons();
}

void id3search::sendToCue(bool atTop) {
    const int row = selectedRow();
    if (row == 0) return;
    const QVector<CueSong> song{{lstresults->SubItem(row, 7), lstresults->SubItem(row, 8)}};
    if (atTop)
        Cue::InsertAtTop(song, Cue::Count::Refresh, Cue::Backup::Write);
    else
        Cue::Append(song, Cue::Count::Refresh, Cue::Backup::Write);
}

void id3search::cmdPlayNext_Click() {
    sendToCue(true);
}

void id3search::lstresults_DblClick() {
    sendToCue(false);
}

void id3search::cmdclose_Click() {
    Windows::Unload<id3search>();
}
