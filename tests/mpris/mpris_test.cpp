// The media-player interface over a private session bus of the test's own.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>

#include "app/Module1.h"
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

class MprisBus : public ::testing::Test {
  protected:
    MprisBus() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        while (daemon_.state() != QProcess::NotRunning && !daemon_.canReadLine())
            daemon_.waitForReadyRead(10000);
        const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        client_ = QDBusConnection::connectToBus(address, "mpris-client");
        app_.addSong("seed.mp3", "/music/");
        f_ = &Windows::Load<form1>();
        for (const char* n : {"A.mp3", "B.mp3"}) f_->lstPlaylist->AddRows({{"1", n, "/music/"}});
        FakeDeckPlayer::durations()["/music/A.mp3"] = 180;
        started_ = mpris_.Start(QDBusConnection::connectToBus(address, "mpris-service"));
        client_.connect(QString(), Mpris::kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                        &signals_, SLOT(changed(QString, QVariantMap, QStringList)));
    }
    ~MprisBus() override {
        FakeDeckPlayer::durations().clear();
        QDBusConnection::disconnectFromBus("mpris-client");
        QDBusConnection::disconnectFromBus("mpris-service");
        daemon_.kill();
        daemon_.waitForFinished();
    }
    // The call waits for its answer while the window's events run, as the
    // service lives on this thread; a signal sent before the answer is in.
    QDBusMessage call(const QString& iface, const QString& method, const QVariantList& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(Mpris::kService, Mpris::kPath, iface, method);
        m.setArguments(args);
        return client_.call(m, QDBus::BlockWithGui);
    }
    QVariant get(const QString& name, const QString& iface = "org.mpris.MediaPlayer2.Player") {
        const QVariant v = call("org.freedesktop.DBus.Properties", "Get", {iface, name})
                               .arguments()
                               .value(0)
                               .value<QDBusVariant>()
                               .variant();
        return v.userType() == qMetaTypeId<QDBusArgument>()
                   ? QVariant(qdbus_cast<QVariantMap>(v.value<QDBusArgument>()))
                   : v;
    }
    void player(const char* method) { call("org.mpris.MediaPlayer2.Player", method); }
    FakeDeckPlayer* d1() const { return FakeDeckPlayer::deckNo(1); }

    TempApp app_;
    QProcess daemon_;
    QDBusConnection client_{QString()};
    form1* f_ = nullptr;
    Mpris mpris_;
    bool started_ = false;
    Signals signals_;
};

TEST_F(MprisBus, WithoutABusNothingRegisters) {
    Mpris none;
    EXPECT_FALSE(none.Start(QDBusConnection(QString())));
}

TEST_F(MprisBus, MediaKeysDriveTheLiveDeckAndChangesAreSignalled) {
    ASSERT_TRUE(started_);
    EXPECT_EQ(get("Identity", "org.mpris.MediaPlayer2").toString(), "Velumix");
    EXPECT_EQ(get("DesktopEntry", "org.mpris.MediaPlayer2").toString(), "velumix");
    EXPECT_EQ(get("PlaybackStatus").toString(), "Stopped");
    EXPECT_TRUE(get("CanGoNext").toBool());

    player("Next");  // nothing plays: the cue starts
    EXPECT_EQ(d1()->PlayState(), DeckPlayer::Playing);
    EXPECT_EQ(f_->lstPlaylist->Count(), 1);
    const QVariantMap meta = get("Metadata").toMap();
    EXPECT_EQ(meta.value("xesam:title").toString(), "A.mp3");
    EXPECT_EQ(meta.value("xesam:url").toString(), "file:///music/A.mp3");
    EXPECT_EQ(meta.value("mpris:length").toLongLong(), 180'000'000);
    ASSERT_FALSE(signals_.changes.isEmpty());
    EXPECT_EQ(signals_.changes.last().value("PlaybackStatus").toString(), "Playing");

    player("Next");  // fade now, switching the engine on
    EXPECT_TRUE(f_->chkAutoFade->isChecked());
    const int volume = d1()->Volume();
    EXPECT_LT(volume, 0);
    player("Next");  // a second press during the fade changes nothing
    EXPECT_EQ(d1()->Volume(), volume);

    for (const auto& [method, state, status] :
         {std::tuple{"Pause", 1, "Paused"}, std::tuple{"PlayPause", 2, "Playing"},
          std::tuple{"Stop", 0, "Stopped"}}) {
        player(method);
        EXPECT_EQ(d1()->PlayState(), state) << method;
        EXPECT_EQ(get("PlaybackStatus").toString(), status) << method;
        EXPECT_EQ(signals_.changes.last().value("PlaybackStatus").toString(), status) << method;
    }
    call("org.mpris.MediaPlayer2", "Quit");
    EXPECT_EQ(Windows::Find<form1>(), nullptr);
}

#include "mpris_test.moc"
