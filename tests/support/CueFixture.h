#pragma once
// The cue as tests see it: any song list's rows as "text|name|folder" lines
// (top row first), the auto-recover file, and a main window on a fresh
// application folder with helpers to fill and read its lists by song names
// (every song lives in /m/).
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "library/ListFile.h"
#include "support/TempApp.h"

inline QStringList RowsOf(const ListView* list) {
    QStringList out;
    for (int i = 1; i <= list->Count(); ++i)
        out << list->Text(i) + "|" + list->SubItem(i, 1) + "|" + list->SubItem(i, 2);
    return out;
}

inline QStringList CueRows() {
    return RowsOf(Windows::Load<form1>().lstPlaylist);
}

inline QString CueCountLabel() {
    return Windows::Load<form1>().lblPlaySongs->text();
}

inline QByteArray BackupBytes() {
    QFile file(Module1::AutoRecoverFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// The auto-recover file's songs as cue rows; the bytes of a record are the
// list file tests' concern.
inline QStringList BackupRows() {
    QStringList out;
    ListFile::RecordReader reader(ListFile::Decode(BackupBytes()));
    while (!reader.AtEnd()) {
        QString folder, name;
        out << (ListFile::Split(reader.Next(), folder, name) ? "1|" + name + "|" + folder : "<damaged>");
    }
    return out;
}

class CueTest : public ::testing::Test {
  protected:
    TempApp app;
    form1* f = app.loadMain();

    static void fill(ListView* list, const QStringList& names) {
        list->Clear();
        QVector<QStringList> rows;
        for (const QString& n : names) rows.append({"1", n, "/m/"});
        list->AddRows(rows);
    }
    static QStringList names(const ListView* list) {
        QStringList out;
        for (int i = 1; i <= list->Count(); ++i) out << list->SubItem(i, 1);
        return out;
    }
    static void select(ListView* list, std::initializer_list<int> rows) {
        for (int r : rows) list->SetSelected(r, true);
    }
    QStringList cue() const { return names(f->lstPlaylist); }

    QByteArray backup() const { return BackupBytes(); }
    void writeBackup(const QByteArray& bytes) const {
        QFile file(Module1::AutoRecoverFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    // The main window closed and loaded again, as at the next start.
    void restart() {
        UnloadAllWindows();
        f = &Windows::Load<form1>();
    }
};
