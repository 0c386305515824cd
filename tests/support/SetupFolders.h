#pragma once
// Music folders on disk and the messages a scripted run showed, for the tests
// of the setup window and of start-up.
#include <QDir>
#include <QFile>
#include <QStringList>

#include "support/ScriptedUi.h"

// A folder under `base` holding the named empty files, spelt as the library
// spells folders: with its trailing /.
inline QString MusicFolder(const QString& base, const QString& name, const QStringList& files) {
    const QString path = base + "/" + name + "/";
    QDir().mkpath(path);
    for (const QString& f : files) QFile(path + f).open(QIODevice::WriteOnly);
    return path;
}

// Every message shown, as "title|buttons|text" (buttons by number: OK 0,
// OK/Cancel 1, Yes/No 2).
inline QStringList Said(const ScriptedUi& ui) {
    QStringList out;
    for (const Seams::Message& m : ui.messages)
        out << m.title + "|" + QString::number(int(m.buttons)) + "|" + m.text;
    return out;
}
