#pragma once
// A main window on a fresh application folder, with helpers to fill and read
// its cue and results list by song names (every song lives in /m/).
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "support/TempApp.h"

class CueTest : public ::testing::Test {
  protected:
    TempApp app;
    form1* f = start();

    // One song in the library, so the window's load has no empty library to ask about.
    form1* start() {
        app.addSong("seed.wav", "/seed/");
        return &Windows::Load<form1>();
    }

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

    QString backupFile() const { return Module1::AutoRecoverFile(); }
    QByteArray backup() const {
        QFile file(backupFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    void writeBackup(const QByteArray& bytes) const {
        QFile file(backupFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    // The main window closed and loaded again, as at the next start.
    void restart() {
        UnloadAllWindows();
        f = &Windows::Load<form1>();
    }
};
