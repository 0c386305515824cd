#include "windows/wizard.h"

#include "layout/Twips.h"
#include "app/form1.h"

const QString wizard::kPage1 = QStringLiteral(
    "After you have associated song directories to Velumix through Tools->Setup.Use this side of "
    "Velumix to search for your songs and bring them to the playlist. Double click on a song to bring "
    "it to your play list. Single click a song and click Send To Top of Playlist to bring it to the "
    "top of your play list. ");

const QString wizard::kPage2 = QStringLiteral(
    "This side of Velumix is your play list. After you have added songs to the play list. Click Play "
    "Compiled List to start playing your songs. You can clear a selection by clicking on a song and "
    "clicking Clear Selection. You can move a song directly to the top by clicking the song and "
    "clicking Move To Top. Use the up and down arrows to move songs up or down the play list.");

const QString wizard::kWarning =
    QStringLiteral("YOU MUST CLICK \"PLAY COMPILED LIST\" TO BEGIN PLAYING MUSIC");

namespace {

QLabel* makeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h, bool visible) {
    auto* lbl = new QLabel(caption, parent);
    lbl->setFont(Twips::font("Times New Roman", 11.25, true));
    Twips::place(lbl, l, t, w, h);
    lbl->setVisible(visible);
    return lbl;
}

QPushButton* makeButton(QWidget* parent, const QString& caption, int l, int t, bool visible) {
    auto* b = new QPushButton(caption, parent);
    b->setFont(Twips::font("Arial Black", 9));
    Twips::place(b, l, t, 1335, 375);
    b->setVisible(visible);
    return b;
}

}  // namespace

wizard::wizard() {
    setWindowTitle(QStringLiteral("Quick Tour"));
    setFixedSize(Twips::px(5520), Twips::px(5295));

    lblwiz << makeLabel(this, kPage1, 840, 840, 3765, 3375, true);
    lblwiz << makeLabel(this, kWarning, 240, 4200, 4845, 735, false);
    for (QLabel* l : lblwiz) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    const int leftTops[] = {3960, 2760, 1440, 240};
    const int rightTops[] = {1320, 240, 2520, 3960};
    for (int i = 0; i < 4; ++i) {
        lblLeft << makeLabel(this, QStringLiteral("<--"), 0, leftTops[i], 645, 375, true);
        lblright << makeLabel(this, QStringLiteral("-->"), 5160, rightTops[i], 405, 375, false);
    }
    cmdNext = makeButton(this, QStringLiteral("&Next"), 4080, 4800, true);
    cmdClose = makeButton(this, QStringLiteral("&Close"), 120, 4800, false);

    connect(cmdNext, &QPushButton::clicked, this, &wizard::cmdNext_Click);
    connect(cmdClose, &QPushButton::clicked, this, &wizard::cmdClose_Click);
}

void wizard::PlaceBesideMain(int leftOffsetTwips) {
    const form1* main = Windows::Find<form1>();
    Move((main ? main->Left() : 0) + leftOffsetTwips, main ? main->Top() : 0);
}

void wizard::Form_Load() {
    // Page 1 stands right of the search side, its arrows pointing at it.
    PlaceBesideMain(5600);
}

void wizard::cmdNext_Click() {
    // Page 2 covers the search side and points right, at the play list.
    PlaceBesideMain(200);
    lblwiz[0]->setText(kPage2);
    lblwiz[1]->show();
    cmdNext->hide();
    cmdClose->move(cmdNext->x(), cmdClose->y());
    cmdClose->show();
    for (int i = 0; i < 4; ++i) {
        lblLeft[i]->hide();
        lblright[i]->show();
    }
}

void wizard::cmdClose_Click() {
    Windows::unload(this);
}
