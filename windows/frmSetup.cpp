#include "windows/frmSetup.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <algorithm>

#include "app/Module1.h"
#include "library/LibraryTrees.h"
#include "seams/Seams.h"
#include "layout/Twips.h"
#include "app/form1.h"
#include "windows/wizard.h"

namespace {

// The window's handlers go on past a failing library step: the list may then
// be stale, but the window stays usable.
template <class Step>
void skipOnFailure(Step step) {
    try {
        step();
    } catch (const StoreError&) {
    }
}

QString quoted(const QString& text) {
    return Module1::SqlQuote(text).toString();
}

bool isTreeTop(const QString& folder) {
    bool top = false;
    if (Module1::TreesOn()) skipOnFailure([&] { top = LibraryTrees::Tops().contains(folder); });
    return top;
}

// A tree's top may hold no songs of its own; it is listed all the same, so it
// can be rescanned and removed with its tree. The folders then read in order.
void addTreeTops(QVector<QStringList>& rows) {
    QStringList tops;
    skipOnFailure([&] { tops = LibraryTrees::Tops(); });
    if (tops.isEmpty()) return;
    for (const QStringList& row : rows) tops.removeAll(row[1]);
    for (const QString& top : tops) rows.push_back({QStringLiteral("1"), top, QStringLiteral("0")});
    std::sort(rows.begin(), rows.end(),
              [](const QStringList& a, const QStringList& b) { return a[1] < b[1]; });
}

QPushButton* button(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    auto* b = new QPushButton(caption, parent);
    Twips::place(b, l, t, w, h);
    return b;
}

QCheckBox* checkBox(QWidget* parent, const QString& caption, int t) {
    auto* c = new QCheckBox(caption, parent);
    c->setFont(Twips::font("Times New Roman", 9.75));
    Twips::place(c, 480, t, 4455, 325);
    return c;
}

}  // namespace

frmSetup::frmSetup() {
    setWindowTitle(QStringLiteral("Setup MP3 VELUMIX"));
    setFont(Twips::font("Comic Sans MS", 8.25));
    // Created in this order, top to bottom: the layout object scales them in it.
    Label5 = new QLabel(QStringLiteral("Current Song Paths:"), this);
    Label5->setFont(Twips::font("Times New Roman", 9.75));
    Twips::place(Label5, 0, 0, 5415, 375);
    lstPaths = new ListView(this);
    lstPaths->SetColumns(
        {{QStringLiteral("id"), 0}, {QStringLiteral("Path(s)"), 3700}, {QStringLiteral("# of Songs"), 1500}});
    Twips::place(lstPaths, 0, 360, 5415, 1935);
    Check1 = checkBox(this, QStringLiteral("Update ID3 Tag Information in Database"), 2280);
    Check2 = checkBox(this, QStringLiteral("Update All Paths On Launch"), 2640);
    cmdRemove = button(this, QStringLiteral("&Remove Path"), 0, 3000, 1455, 375);
    cmdUpdate = button(this, QStringLiteral("&Update Selected"), 1440, 3000, 2295, 375);
    cmdAdd = button(this, QStringLiteral("&Add Path"), 3720, 3000, 1695, 375);
    cmdUpdateAll = button(this, QStringLiteral("&Update All Paths"), 0, 3360, 3135, 375);
    Command3 = button(this, QStringLiteral("&Close"), 3120, 3360, 2295, 375);
    lblupdate = new QLabel(this);
    lblupdate->setFont(Twips::font("Times New Roman", 9.75));
    lblupdate->setWordWrap(true);
    lblupdate->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Twips::place(lblupdate, 0, 3720, 5415, 735);

    // A box's handler runs whenever its state changes, by the user or by code.
    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    connect(Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { cmdUpdate_Click(); });
    connect(cmdUpdateAll, &QPushButton::clicked, this, [this] { cmdUpdateAll_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });

    // The designed size, which the layout object takes as its reference.
    SetHeight(4830);
    SetWidth(5490);
}

void frmSetup::Form_Load() {
    m_Isloading = true;
    El.Init(this);
    m_Isloading = false;
    SetHeight(4830);
    SetWidth(5490);

    using namespace Module1;
    skipOnFailure([] {
        StrSQL = QStringLiteral("Select * from settings");
        rsLookup.Open(StrSQL, cnLibrary);
    });
    skipOnFailure(
        [this] { Check2->setChecked(rsLookup.Fields(QStringLiteral("ext1")).toString() == "YES"); });
    Check1->setChecked(true);
    lblupdate->setText(QStringLiteral("Updating ID3 Tag informtation will take a few extra seconds"));
    rsLookup.Close();
    FillList();
    if (OpenSetupAfterStart == 1) cmdAdd_Click();
}

void frmSetup::Form_Resize() {
    if (!m_Isloading) El.FormResize(this);
}

void frmSetup::Form_Unload(int&) {
    // Every closing of this window on the first start opens the quick tour.
    if (Module1::FirstRun == 1) Windows::Show<wizard>();
}

void frmSetup::Check1_Click() {
    lblupdate->setText(Check1->isChecked()
                           ? QStringLiteral("Updating ID3 Tag informtation will take a few extra seconds")
                           : QString());
}

void frmSetup::Check2_Click() {
    skipOnFailure([this] {
        Module1::StrSQL = Check2->isChecked() ? QStringLiteral("Update settings set ext1='YES'")
                                              : QStringLiteral("Update settings set ext1='NO'");
        Module1::cnLibrary.Execute(Module1::StrSQL);
    });
}

void frmSetup::FillList() {
    using namespace Module1;
    Connection counter;  // a second connection, so counting does not disturb the walk
    skipOnFailure([&] {
        counter.ConnectionString = cnLibrary.ConnectionString;
        counter.Open();
    });
    lstPaths->Clear();
    QVector<QStringList> rows;
    skipOnFailure([&] {
        StrSQL = QStringLiteral("Select DISTINCT(path) FROM songs");
        rsLibrary.Open(StrSQL, cnLibrary);
        while (!rsLibrary.EOF_()) {
            const QString path = rsLibrary.Fields(QStringLiteral("path")).toString();
            QString count;
            skipOnFailure([&] {
                rsLookup.Open(QStringLiteral("Select Count(path) as numsongs from songs where path='") +
                                  quoted(path) + QStringLiteral("'"),
                              counter);
                count = rsLookup.Fields(QStringLiteral("numsongs")).toString();
            });
            rows.push_back({QStringLiteral("1"), path, count});
            rsLibrary.MoveNext();
            rsLookup.Close();
        }
    });
    rsLibrary.Close();
    rsLookup.Close();
    if (TreesOn()) addTreeTops(rows);
    lstPaths->AddRows(rows);
    // Like a list control's default: the first row is the one the buttons act on.
    if (lstPaths->Count() > 0) lstPaths->SetSelectedItem(1);
}

void frmSetup::UpdateText() {
    // The user's time format, without the time zone a long format may carry.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format = format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b"))).trimmed();
    lblupdate->setText(QStringLiteral("Update Complete at: ") +
                       QLocale::system().toString(QTime::currentTime(), format));
}

void frmSetup::cmdAdd_Click() {
    using namespace Module1;
    QString p = BrowseFolder(Windows::Find<form1>(), QStringLiteral("Add Song Path"));
    if (p.isEmpty()) {  // cancelled
        raise();
        activateWindow();
        return;
    }
    if (!p.endsWith('/')) p += '/';
    bool known = false;
    skipOnFailure([&] {
        StrSQL = QStringLiteral("Select path FROM songs where path='") + quoted(p) + QStringLiteral("'");
        rsLookup.Open(StrSQL, cnLibrary);
        known = !rsLookup.EOF_();
    });
    rsLookup.Close();
    known = known || isTreeTop(p);
    ScanRun run;
    if (known) {
        Seams::MsgBox(QStringLiteral("Path:") + p + QStringLiteral(" already exists in the database"),
                      Seams::Buttons::OK, Seams::Icon::None, QStringLiteral("Path Already Exists"));
    } else if (TreesOn()) {
        skipOnFailure([&] {
            LibraryTrees::Add(p);
            run = TreeRun(p);
        });
        ScanFolders(run);
    } else {
        ScanFolder(p);
    }
    FillList();
    raise();
    activateWindow();
    UpdateText();
    noteUnreadable(run.unreadable);
}

void frmSetup::noteUnreadable(const QStringList& folders) {
    // Also here: the progress window may have come and gone too fast to read.
    for (const QString& f : folders)
        lblupdate->setText(lblupdate->text() + QStringLiteral("\nCannot read %1: skipped").arg(f));
}

void frmSetup::cmdRemove_Click() {
    const int row = lstPaths->SelectedItem();
    const QString p = row > 0 ? lstPaths->SubItem(row, 1) : QString();
    if (isTreeTop(p)) {
        removeTree(p);
        return;
    }
    const Seams::Answer a = Seams::MsgBox(
        QStringLiteral("Remove all songs from database associated with path:") + p + QStringLiteral("'"),
        Seams::Buttons::YesNo, Seams::Icon::None, QStringLiteral("Remove Song Path"));
    if (a == Seams::Answer::No) return;
    skipOnFailure([&] {
        Module1::StrSQL = QStringLiteral("Delete from songs where Path='") + quoted(p) + QStringLiteral("'");
        Module1::cnLibrary.Execute(Module1::StrSQL);
        // Inside a tree, a removed folder would come back with the next rescan.
        if (Module1::TreesOn() && !LibraryTrees::TreeOf(p).isEmpty()) LibraryTrees::Skip(p, false);
    });
    FillList();
    UpdateText();
}

void frmSetup::removeTree(const QString& top) {
    QList<QPair<QString, int>> folders;
    skipOnFailure([&] { folders = LibraryTrees::LibraryFoldersWithin(top); });
    int songs = 0;
    for (const auto& f : folders) songs += f.second;
    const Seams::Answer a =
        Seams::MsgBox(QStringLiteral("Remove the folder tree %1 from the database: %2 folders with %3 songs?")
                          .arg(top)
                          .arg(folders.size())
                          .arg(songs),
                      Seams::Buttons::YesNo, Seams::Icon::None, QStringLiteral("Remove Song Path"));
    if (a == Seams::Answer::No) return;
    skipOnFailure([&] {
        // One transaction: a tree of many folders is one write to the disk, and
        // a failure leaves the tree whole rather than half removed.
        Module1::cnLibrary.BeginTrans();
        try {
            for (const auto& f : folders)
                Module1::cnLibrary.Execute(QStringLiteral("Delete from songs where Path='") +
                                           quoted(f.first) + QStringLiteral("'"));
            LibraryTrees::Remove(top);
            // A tree inside another stays out of the outer tree's rescans.
            if (!LibraryTrees::TreeOf(top).isEmpty()) LibraryTrees::Skip(top, true);
            Module1::cnLibrary.CommitTrans();
        } catch (const StoreError&) {
            Module1::cnLibrary.RollbackTrans();
            throw;
        }
    });
    FillList();
    UpdateText();
}

void frmSetup::cmdUpdate_Click() {
    if (lstPaths->Count() == 0) {
        Seams::MsgBox(QStringLiteral("No paths to update."), Seams::Buttons::OKCancel);
        return;
    }
    const int row = lstPaths->SelectedItem();
    const QString p = row > 0 ? lstPaths->SubItem(row, 1) : QString();
    Module1::ScanRun run;
    if (isTreeTop(p)) {
        skipOnFailure([&] { run = Module1::TreeRun(p); });
        Module1::ScanFolders(run);
    } else if (row > 0) {
        Module1::ScanFolder(p);
    }
    FillList();
    UpdateText();
    noteUnreadable(run.unreadable);
    if (Module1::FolderRemoved == 1) {
        Seams::MsgBox(
            QStringLiteral("Directory was deleted/moved or renamed and has been removed from Velumix"));
        Module1::FolderRemoved = 0;
    }
}

void frmSetup::cmdUpdateAll_Click() {
    const int n = lstPaths->Count();
    if (n == 0) {
        Seams::MsgBox(QStringLiteral("No paths to update"), Seams::Buttons::OK, Seams::Icon::None,
                      QStringLiteral("Update All Paths"));
        return;
    }
    // The list is refilled only afterwards, so a folder removed by its scan
    // does not shift the rows still to come.
    QStringList folders;
    for (int i = 1; i <= n; ++i) folders << lstPaths->SubItem(i, 1);
    Module1::ScanRun run;
    skipOnFailure([&] { run = Module1::RescanRun(folders); });
    run.beforeEach = [this, n](int i) {
        if (i < n) lstPaths->SetSelectedItem(i + 1);
    };
    Module1::ScanFolders(run);
    FillList();
    UpdateText();
    noteUnreadable(run.unreadable);
    if (Module1::FolderRemoved == 1) {
        Seams::MsgBox(QStringLiteral(
            "Some directories have been deleted/moved or renamed and have been removed from Velumix"));
        Module1::FolderRemoved = 0;
    }
}

void frmSetup::Command3_Click() {
    Windows::Unload<frmSetup>();
}
