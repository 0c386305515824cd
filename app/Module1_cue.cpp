#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"

namespace Module1 {

QString AutoRecoverFile() {
    return AppPath() + QStringLiteral("/backup.vlx");
}

void RefreshCueCount() {
    form1& f = Windows::Load<form1>();
    f.lblPlaySongs->setText(QStringLiteral("Songs in cue:") + QString::number(f.lstPlaylist->Count()));
}

void SaveAutoRecover() {}

void LoadAutoRecover() {}

}  // namespace Module1
