// The media-player interface over a private session bus of the test's own.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>

#include "app/Mpris.h"
#include "app/form1.h"
#include "support/TempApp.h"

class Signals : public QObject {
    Q_OBJECT
  public:
    QList<QVariantMap> changes;
  public slots:
    void changed(const QString&, const QVariantMap& props, const QStringList&) { changes.append(props); }
};

TEST(Mpris, WithoutABusNothingRegisters) {
    Mpris none;
    EXPECT_FALSE(none.Start(QDBusConnection(QString())));
}

TEST(Mpris, MediaKeysDriveTheLiveDeckAndChangesAreSignalled) {
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    while (daemon.state() != QProcess::NotRunning && !daemon.canReadLine()) daemon.waitForReadyRead(10000);
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    TempApp app;
    app.addSong("seed.mp3", "/music/");
    form1& f = Windows::Load<form1>();
    f.lstPlaylist->AddRows({{"1", "A.mp3", "/music/"}, {"1", "B.mp3", "/music/"}});
    FakeDeckPlayer::durations()["/music/A.mp3"] = 180;
    FakeDeckPlayer* d1 = FakeDeckPlayer::deckNo(1);
    Mpris mpris;
    ASSERT_TRUE(mpris.Start(QDBusConnection::connectToBus(address, "mpris-service")));
    QDBusConnection client = QDBusConnection::connectToBus(address, "mpris-client");
    Signals seen;
    client.connect(QString(), Mpris::kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &seen,
                   SLOT(changed(QString, QVariantMap, QStringList)));
    // The call waits for its answer while the window's events run, as the
    // service lives on this thread; a signal sent before the answer is in.
    auto call = [&](const QString& iface, const QString& method, const QVariantList& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(Mpris::kService, Mpris::kPath, iface, method);
        m.setArguments(args);
        return client.call(m, QDBus::BlockWithGui);
    };
    auto get = [&](const QString& name, const QString& iface = "org.mpris.MediaPlayer2.Player") {
        const QDBusMessage reply = call("org.freedesktop.DBus.Properties", "Get", {iface, name});
        const QVariant v = reply.arguments().value(0).value<QDBusVariant>().variant();
        if (v.userType() != qMetaTypeId<QDBusArgument>()) return v;
        return QVariant(qdbus_cast<QVariantMap>(v.value<QDBusArgument>()));
    };
    auto player = [&](const char* method) { call("org.mpris.MediaPlayer2.Player", method); };

    EXPECT_EQ(get("Identity", "org.mpris.MediaPlayer2").toString(), "Velumix");
    EXPECT_TRUE(get("CanGoNext").toBool());

    player("Next");  // nothing plays: the cue starts
    EXPECT_EQ(d1->PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(f.lstPlaylist->Count(), 1);
    const QVariantMap meta = get("Metadata").toMap();
    EXPECT_EQ(meta.value("xesam:title").toString(), "A.mp3");
    EXPECT_EQ(meta.value("xesam:url").toString(), "file:///music/A.mp3");
    EXPECT_EQ(meta.value("mpris:length").toLongLong(), 180'000'000);
    ASSERT_FALSE(seen.changes.isEmpty());
    EXPECT_EQ(seen.changes.last().value("PlaybackStatus").toString(), "Playing");

    player("Next");  // fade now, switching the engine on
    EXPECT_TRUE(f.chkAutoFade->isChecked());
    const int volume = d1->Volume();
    EXPECT_LT(volume, 0);
    player("Next");  // a second press during the fade changes nothing
    EXPECT_EQ(d1->Volume(), volume);

    for (const auto& [method, state, status] :
         {std::tuple{"Pause", 1, "Paused"}, std::tuple{"PlayPause", 2, "Playing"},
          std::tuple{"Stop", 0, "Stopped"}}) {
        player(method);
        EXPECT_EQ(d1->PlayState(), state) << method;
        EXPECT_EQ(get("PlaybackStatus").toString(), status) << method;
        EXPECT_EQ(seen.changes.last().value("PlaybackStatus").toString(), status) << method;
    }
    call("org.mpris.MediaPlayer2", "Quit");
    EXPECT_EQ(Windows::Find<form1>(), nullptr);
    // The service outlives the window and tells the desktop there is nothing to drive.
    EXPECT_EQ(get("PlaybackStatus").toString(), "Stopped");
    EXPECT_FALSE(get("CanPlay").toBool());
    FakeDeckPlayer::durations().clear();
    QDBusConnection::disconnectFromBus("mpris-client");
    QDBusConnection::disconnectFromBus("mpris-service");
    daemon.kill();
    daemon.waitForFinished();
}

#include "mpris_test.moc"
