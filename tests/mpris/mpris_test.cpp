// The media-player interface over a private session bus of the test's own.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include "app/Mpris.h"
#include "app/decks/DeckFactory.h"
#include "support/CueFixture.h"

// Every playback status the service signals, in order.
class Signals : public QObject {
    Q_OBJECT
  public:
    QStringList statuses;
  public slots:
    void changed(const QString&, const QVariantMap& props, const QStringList&) {
        if (props.contains("PlaybackStatus")) statuses << props.value("PlaybackStatus").toString();
    }
};

using MprisTest = CueTest;

// Driven as a panel or a media key would: through playerctl, on the test's bus.
TEST_F(MprisTest, MediaKeysDriveTheLiveDeckAndChangesAreSignalled) {
    EXPECT_FALSE(Mpris().Start(QDBusConnection(QString())));  // without a bus nothing registers
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    while (daemon.state() != QProcess::NotRunning && !daemon.canReadLine()) daemon.waitForReadyRead(10000);
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    fill(f->lstPlaylist, {"A.mp3", "B.mp3", "C.mp3"});
    Mpris mpris;
    ASSERT_TRUE(mpris.Start(QDBusConnection::connectToBus(address, "mpris-service")));
    Signals seen;
    QDBusConnection::connectToBus(address, "mpris-client")
        .connect(QString(), Mpris::kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &seen,
                 SLOT(changed(QString, QVariantMap, QStringList)));
    auto run = [&](const QString& program, const QStringList& args) {
        QProcess p;
        p.setEnvironment(QProcess::systemEnvironment() << "DBUS_SESSION_BUS_ADDRESS=" + address);
        QEventLoop loop;  // the service answers on this thread
        QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        p.start(program, args);
        loop.exec();
        return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    };
    auto playerctl = [&](const QStringList& args) {
        return run("playerctl", QStringList{"--player=velumix"} + args);
    };
    // Panels learn of jumps only from the signal the introspection lists.
    EXPECT_TRUE(run("dbus-send", {"--bus=" + address, "--print-reply", QString("--dest=") + Mpris::kService,
                                  Mpris::kPath, "org.freedesktop.DBus.Introspectable.Introspect"})
                    .contains(R"(<signal name="Seeked">)"));
    app.addSong("B.mp3", "/m/", "Beta");
    app.exec("UPDATE songs SET artist2='Ann', album='LP'");
    const QString format = "{{title}}|{{artist}}|{{album}}|{{xesam:url}}|{{mpris:length}}";

    EXPECT_EQ(playerctl({"next"}), "");  // nothing plays: the cue starts; A is not in the library
    EXPECT_EQ(playerctl({"metadata", "--format", format}), "A|||file:///m/A.mp3|180000000");
    f->Command2_Click();
    EXPECT_EQ(playerctl({"metadata", "--format", format}), "Beta|Ann|LP|file:///m/B.mp3|180000000");
    const std::pair<QStringList, double> moves[] = {{{"position", "10"}, 10},
                                                    {{"position", "5+"}, 15},
                                                    {{"position", "20-"}, 0},
                                                    {{"position", "70"}, 70},
                                                    {{"previous"}, 0}};
    for (const auto& [args, at] : moves) {
        EXPECT_EQ(playerctl(args), "") << args.join(' ').toStdString();
        EXPECT_EQ(FakeDeckPlayer::deckNo(1)->CurrentPosition(), at);
    }
    // A song of unknown length has no end to jump towards: a seek neither moves nor starts a
    // fade (a stray one would hold off the fade that "next" asks for below).
    FakeDeckPlayer::durations()["/m/B.mp3"] = 0;
    FakeDeckPlayer::deckNo(1)->Open("/m/B.mp3");
    FakeDeckPlayer::deckNo(1)->SetCurrentPosition(30);
    mpris.Seek(5000000);
    EXPECT_EQ(FakeDeckPlayer::deckNo(1)->CurrentPosition(), 30);
    FakeDeckPlayer::durations().clear();
    FakeDeckPlayer::deckNo(1)->Open("/m/B.mp3");
    // The desktop's volume is the whole mix's; the fade keeps the decks' own.
    EXPECT_EQ(playerctl({"volume", "0.25"}), "");
    EXPECT_EQ(MasterLevel(), 0.25);
    EXPECT_EQ(FakeDeckPlayer::deckNo(1)->Volume(), 0);
    SetMasterLevel(1);

    for (const char* command : {"pause", "play-pause", "stop"}) playerctl({command});
    EXPECT_EQ(seen.statuses, QStringList({"Playing", "Paused", "Playing", "Stopped"}));
    // Last, as the fade's own timers run on while playerctl waits for its answers.
    playerctl({"play-pause"});
    playerctl({"next"});  // something plays: fade now, rather than start the next song
    EXPECT_LT(FakeDeckPlayer::deckNo(1)->Volume(), 0);
    // The service outlives the window it quit and tells the desktop there is
    // nothing to drive (with the window, C in the cue could play).
    mpris.Act("Quit");
    EXPECT_FALSE(mpris.PlayerProperties().value("CanPlay").toBool());
    daemon.kill();
    daemon.waitForFinished();
}

#include "mpris_test.moc"
