#include "app/form1.h"
#include "app/ListOptions.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "windows/formlist.h"

void form1::WireCueTime() {
    cueTimeSum_ = new QTimer(this);
    cueTimeSum_->setSingleShot(true);
    cueTimeSum_->setInterval(0);
    connect(cueTimeSum_, &QTimer::timeout, this, &form1::CueChanged);
    cueTimeClock_ = new QTimer(this);
    cueTimeClock_->setInterval(1000);
    connect(cueTimeClock_, &QTimer::timeout, this, &form1::ShowCueTime);
    cueTimeClock_->start();
    // Every way into or out of the cue ends in one of these; moves change
    // nothing that is summed.
    ListModel* m = lstPlaylist->listModel();
    for (auto sig : {&ListModel::rowsInserted, &ListModel::rowsRemoved})
        connect(m, sig, cueTimeSum_, qOverload<>(&QTimer::start));
    connect(m, &ListModel::modelReset, cueTimeSum_, qOverload<>(&QTimer::start));
    connect(&cueTime_, &CueTime::LengthsChanged, cueTimeSum_, qOverload<>(&QTimer::start));
    // Lengths read meanwhile show in the Length columns.
    connect(&cueTime_, &CueTime::LengthsChanged, this, [this] {
        lstresults->viewport()->update();
        lstPlaylist->viewport()->update();
    });
    ApplyTagColumns();
}

void form1::ApplyTagColumns() {
    const bool on = Options::Get(Options::ShowTagColumns);
    tagColumns_.Apply(lstresults, on, true);
    // The cue's order is the show's: no header click reorders it.
    tagColumns_.Apply(lstPlaylist, on, false);
    if (formlist* songs = Windows::Find<formlist>()) songs->FillList();
}

void form1::CueChanged() {
    QStringList files;
    const int n = lstPlaylist->Count();
    files.reserve(n);
    for (int i = 1; i <= n; ++i) files.append(lstPlaylist->SubItem(i, 2) + lstPlaylist->SubItem(i, 1));
    cueTotal_ = cueTime_.Sum(files);
    ShowCueTime();
}

void form1::ShowCueTime() {
    if (lstPlaylist->Count() == 0) {
        lblCueTime->clear();
        lblCueTime->setToolTip(QString());
        return;
    }
    DeckControl* live = Deck(Module1::CurrentDeck == 2 ? 2 : 1);
    const double left =
        live->PlayState() == DeckPlayer::Playing ? live->Duration() - live->CurrentPosition() : 0;
    // The label has the count beside it and cannot grow: what does not fit is
    // cut short, and the whole text is in the tip.
    const QString caption = CueTime::Caption(cueTotal_, left, QTime::currentTime());
    lblCueTime->setText(
        lblCueTime->fontMetrics().elidedText(caption, Qt::ElideRight, lblCueTime->contentsRect().width()));
    lblCueTime->setToolTip(caption);
}
