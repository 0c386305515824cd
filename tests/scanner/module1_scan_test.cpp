#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
#include <QSqlRecord>
#include <QTimer>

#include "ScanFixture.h"
#include "app/ScanProgress.h"
#include "windows/frmSetup.h"

namespace {

struct ModuleScan : ::testing::Test, ScanFixture {
    ~ModuleScan() override { ScanProgress::setClock(nullptr); }
};

// Each look at the clock moves it on by a tenth of a second.
qint64 g_fakeNow = 0;
qint64 fastClock(const QElapsedTimer&) {
    return g_fakeNow += 100;
}

QProgressDialog* progressDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

}  // namespace

TEST_F(ModuleScan, TagsAreReadOnlyWhenTheBoxOrTheStartupRescanSaySo) {
    const QString f = folder("T");
    file(f + "t.mp3", tagged("T", 17));
    const struct {
        bool setupLoaded;
        bool check1;
        int startupRescan;
        const char* genre;
    } cases[] = {
        {true, true, 0, "Rock"},   {true, false, 0, "~"},     {true, false, 1, "Rock"},
        {false, false, 1, "Rock"}, {false, false, 0, "Rock"},  // a setup window loading now would tick the
                                                               // box
    };
    for (const auto& c : cases) {
        Windows::Unload<frmSetup>();
        if (c.setupLoaded) Windows::Load<frmSetup>().Check1->setChecked(c.check1);
        Module1::StartupRescan = c.startupRescan;
        Module1::ScanFolder(f);
        EXPECT_EQ(rows(f, "genre"), QStringList({c.genre})) << c.setupLoaded << c.check1 << c.startupRescan;
        EXPECT_EQ(Windows::IsLoaded<frmSetup>(), c.setupLoaded) << "a scan never loads the setup window";
    }
}

TEST_F(ModuleScan, LongScanShowsProgressKeepsTimersGoingAndCancelRollsBack) {
    const QString f = folder("Long"), other = folder("Other");
    for (int i = 0; i < 30; ++i) file(f + QString("%1.mp3").arg(i, 2, 10, QChar('0')));
    file(other + "o.mp3");
    app.addSong("kept.mp3", f);
    ScanProgress::setClock(fastClock);

    // Runs whenever the scan pumps events, as a deck's timer would.
    int ticks = 0;
    QString label;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        Module1::ScanFolder(other);  // no scan inside another
        if (QProgressDialog* d = progressDialog()) {
            label = d->labelText();
            d->cancel();
        }
    });
    tick.start();
    Module1::ScanFolder(f);
    tick.stop();

    EXPECT_GT(ticks, 3);
    EXPECT_TRUE(label.startsWith("Scanning " + f + "\n")) << label.toStdString();
    EXPECT_TRUE(label.endsWith(" of 30 files")) << label.toStdString();
    EXPECT_EQ(rows(f), QStringList({"kept.mp3"}));
    EXPECT_TRUE(rows(other).isEmpty());
    EXPECT_EQ(progressDialog(), nullptr);

    // Without a cancel the same scan completes, and the next one may start.
    Module1::ScanFolder(f);
    EXPECT_EQ(rows(f).size(), 30);
    Module1::ScanFolder(other);
    EXPECT_EQ(rows(other), QStringList({"o.mp3"}));
}

TEST_F(ModuleScan, BrowseFolderTrimsTheSeparator) {
    const struct {
        const char* chosen;
        const char* returned;
    } cases[] = {{"/music/rock/", "/music/rock"}, {"/music/rock", "/music/rock"}, {"/", "/"}, {"", ""}};
    for (const auto& c : cases) {
        app.ui.folders.push_back(c.chosen);
        EXPECT_EQ(Module1::BrowseFolder(nullptr, "Add Song Path"), c.returned);
    }
    EXPECT_EQ(app.ui.browseTitles, QStringList(4, "Add Song Path"));
}
