#pragma once
// The main window's cue as "text|name|folder" lines, top row first.
#include <QFile>
#include <QStringList>
#include <ostream>

#include "app/Module1.h"
#include "app/form1.h"

inline QStringList CueRows() {
    QStringList out;
    form1& f = Windows::Load<form1>();
    for (int i = 1; i <= f.lstPlaylist->Count(); ++i)
        out << f.lstPlaylist->Text(i) + "|" + f.lstPlaylist->SubItem(i, 1) + "|" +
                   f.lstPlaylist->SubItem(i, 2);
    return out;
}

// The auto-recover file's text.
inline QString AutoRecoverText() {
    QFile f(Module1::AutoRecoverFile());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

inline QString CueCountLabel() {
    return Windows::Load<form1>().lblPlaySongs->text();
}

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
