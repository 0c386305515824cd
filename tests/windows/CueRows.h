#pragma once
// A list's (or the main window's cue's) rows as "text|name|folder" lines, top row first, and the
// auto-recover file's text.
#include <QFile>
#include <QStringList>

#include "app/Module1.h"
#include "app/form1.h"

inline QStringList RowsOf(const ListView* list) {
    QStringList out;
    for (int i = 1; i <= list->Count(); ++i)
        out << list->Text(i) + "|" + list->SubItem(i, 1) + "|" + list->SubItem(i, 2);
    return out;
}

inline QStringList CueRows() {
    return RowsOf(Windows::Load<form1>().lstPlaylist);
}

inline QString AutoRecoverText() {
    QFile f(Module1::AutoRecoverFile());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

inline QString CueCountLabel() {
    return Windows::Load<form1>().lblPlaySongs->text();
}
