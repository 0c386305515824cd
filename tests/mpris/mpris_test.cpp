// The media-player interface over a private session bus of the test's own.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>

#include "app/Mpris.h"
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

TEST_F(MprisTest, MediaKeysDriveTheLiveDeckAndChangesAreSignalled) {
    EXPECT_FALSE(Mpris().Start(QDBusConnection(QString())));  // without a bus nothing registers
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    while (daemon.state() != QProcess::NotRunning && !daemon.canReadLine()) daemon.waitForReadyRead(10000);
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    fill(f->lstPlaylist, {"A.mp3", "B.mp3"});
    Mpris mpris;
    ASSERT_TRUE(mpris.Start(QDBusConnection::connectToBus(address, "mpris-service")));
    QDBusConnection client = QDBusConnection::connectToBus(address, "mpris-client");
    Signals seen;
    client.connect(QString(), Mpris::kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &seen,
                   SLOT(changed(QString, QVariantMap, QStringList)));
    // The call waits for its answer while the window's events run, as the
    // service lives on this thread; a signal sent before the answer is in.
    auto message = [](const QString& iface, const char* method) {
        return QDBusMessage::createMethodCall(Mpris::kService, Mpris::kPath, iface, method);
    };
    auto get = [&](const char* name) {
        const QDBusMessage reply = client.call(message("org.freedesktop.DBus.Properties", "Get")
                                                   << "org.mpris.MediaPlayer2.Player" << name,
                                               QDBus::BlockWithGui);
        const QVariant v = reply.arguments().value(0).value<QDBusVariant>().variant();
        if (v.userType() != qMetaTypeId<QDBusArgument>()) return v;
        return QVariant(qdbus_cast<QVariantMap>(v.value<QDBusArgument>()));
    };
    auto player = [&](const char* method, const QString& iface = "org.mpris.MediaPlayer2.Player") {
        client.call(message(iface, method), QDBus::BlockWithGui);
    };

    EXPECT_TRUE(get("CanGoNext").toBool());

    player("Next");  // nothing plays: the cue starts
    const QVariantMap meta = get("Metadata").toMap();
    EXPECT_EQ((QStringList{meta["xesam:title"].toString(), meta["xesam:url"].toString(),
                           meta["mpris:length"].toString()}),
              (QStringList{"A.mp3", "file:///m/A.mp3", "180000000"}));

    for (const char* method : {"Pause", "PlayPause", "Stop"}) player(method);
    EXPECT_EQ(seen.statuses, QStringList({"Playing", "Paused", "Playing", "Stopped"}));
    // Last, as the fade's own timers run on while calls wait for their answers.
    player("PlayPause");
    player("Next");  // something plays: fade now, rather than start the next song
    EXPECT_LT(FakeDeckPlayer::deckNo(1)->Volume(), 0);
    // The service outlives the window it quit and tells the desktop there is
    // nothing to drive (with the window, B in the cue could play).
    player("Quit", "org.mpris.MediaPlayer2");
    EXPECT_FALSE(get("CanPlay").toBool());
    daemon.kill();
    daemon.waitForFinished();
}

#include "mpris_test.moc"
