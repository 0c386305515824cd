// Starts the program on a demo library of generated songs, fills the cue,
// starts both decks and saves a picture of the main window:
//     velumix_screenshot <output.png> [seconds to play first]
#include <QApplication>
#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"
#include "library/Schema.h"
#include "support/WavWriter.h"

namespace {

struct DemoSong {
    const char* name;
    double seconds;
    double hz;
};

// Long enough that the decks show a realistic time left; a low sample rate
// keeps the files small.
const DemoSong kSongs[] = {
    {"Sunrise Groove.wav", 214, 220.0},   {"Midnight Drive.wav", 187, 246.9},
    {"Bassline Theory.wav", 243, 110.0},  {"Neon Skyline.wav", 199, 329.6},
    {"Deep Water Dub.wav", 231, 146.8},   {"Velvet Funk.wav", 176, 196.0},
    {"Summer Static.wav", 205, 261.6},    {"Night Shift Anthem.wav", 222, 293.7},
    {"Electric Harbour.wav", 190, 174.6}, {"Last Train Home.wav", 248, 164.8},
};

// A pulsing tone, so the decks have something audible to play.
bool writeSong(const QString& file, const DemoSong& s) {
    const int rate = 8000;
    return WriteWav(file, rate, 1, static_cast<long>(s.seconds * rate), [&](long frame, int) {
        const double t = double(frame) / rate;
        const double beat = 0.5 + 0.5 * std::cos(2 * M_PI * 2 * t);
        return 0.3 * beat * std::sin(2 * M_PI * s.hz * t);
    });
}

void addRow(ListView* list, const QString& name, const QString& folder) {
    const int row = list->Count() + 1;
    list->Add(row, QStringLiteral("1"));
    list->SetSubItem(row, 1, name);
    list->SetSubItem(row, 2, folder);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output.png> [seconds]\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const int playMs = argc > 2 ? int(std::atof(argv[2]) * 1000) : 2500;

    QTemporaryDir home;
    const QString music = home.path() + "/Music/";
    QDir().mkpath(music);
    QString error;
    if (!CreateEmptyLibrary(home.path() + "/songs.mdb", &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Module1::SetAppPath(home.path());
    Module1::cnLibrary.ConnectionString = Module1::LibraryConnectionString(home.path());
    Module1::cnLibrary.Open();
    for (const DemoSong& s : kSongs) {
        if (!writeSong(music + s.name, s)) return 1;
        QSqlQuery q(Module1::cnLibrary.database());
        q.prepare("INSERT INTO songs (artist, path) VALUES (?, ?)");
        q.addBindValue(QString(s.name));
        q.addBindValue(music);
        q.exec();
    }

    form1& f = Windows::Load<form1>();
    Windows::Show<form1>();
    f.Move(0, 0);

    // A search on the left, a cue on the right, then both decks going.
    f.txtSearch->setText("n");
    f.Command1_Click();
    for (const DemoSong& s : kSongs) addRow(f.lstPlaylist, s.name, music);
    Module1::RefreshCueCount();
    f.Command2_Click();
    f.cmdLD2_Click();
    f.MP2->Play();
    // Mixing by hand, a little past Deck 1's end of the fader: both decks heard.
    f.Fader->setValue(24);
    f.Fader_Click();

    int rc = 0;
    QTimer::singleShot(playMs, &app, [&] {
        f.Timer1_Timer();
        f.Timer2_Timer();
        if (!f.grab().save(output)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
            rc = 1;
        }
        Windows::setOnLastUnloaded(nullptr);
        Windows::Unload<form1>();
        Windows::flushDeleted();
        app.quit();
    });
    app.exec();
    Module1::ResetState();
    return rc;
}
