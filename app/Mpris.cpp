#include "app/Mpris.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>

#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

DeckControl* liveDeck(form1* f) {
    return Module1::CurrentDeck == 2 ? f->MP2 : f->MP1;
}

bool somethingPlays(form1* f) {
    return f->MP1->PlayState() == DeckPlayer::Playing || f->MP2->PlayState() == DeckPlayer::Playing;
}

}  // namespace

class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
  public:
    MprisRoot(QObject* parent, Mpris* m) : QDBusAbstractAdaptor(parent), m_(m) {}
    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Velumix"); }
    QString desktopEntry() const { return QStringLiteral("velumix"); }
    QStringList none() const { return {}; }
  public slots:
    void Quit() { m_->Act(QStringLiteral("Quit")); }
    void Raise() { m_->Act(QStringLiteral("Raise")); }

  private:
    Mpris* m_;
};

class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ no)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(bool CanControl READ canControl)
    Q_PROPERTY(double Rate READ one)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(double Volume READ one)
    Q_PROPERTY(qlonglong Position READ position)
  public:
    MprisPlayer(QObject* parent, Mpris* m) : QDBusAbstractAdaptor(parent), m_(m) {}
    QString playbackStatus() const { return get("PlaybackStatus").toString(); }
    QVariantMap metadata() const { return get("Metadata").toMap(); }
    bool canGoNext() const { return get("CanGoNext").toBool(); }
    bool canPlay() const { return get("CanPlay").toBool(); }
    bool canPause() const { return get("CanPause").toBool(); }
    bool canControl() const { return get("CanControl").toBool(); }
    bool no() const { return false; }
    double one() const { return 1.0; }
    qlonglong position() const {
        form1* f = Windows::Find<form1>();
        return f ? qlonglong(liveDeck(f)->CurrentPosition() * 1e6) : 0;
    }
  public slots:
    void Next() { m_->Act(QStringLiteral("Next")); }
    void Previous() {}
    void Pause() { m_->Act(QStringLiteral("Pause")); }
    void PlayPause() { m_->Act(QStringLiteral("PlayPause")); }
    void Stop() { m_->Act(QStringLiteral("Stop")); }
    void Play() { m_->Act(QStringLiteral("Play")); }
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}
  signals:
    void Seeked(qlonglong position);

  private:
    QVariant get(const char* key) const { return m_->PlayerProperties().value(QLatin1String(key)); }
    Mpris* m_;
};

bool Mpris::Start(const QDBusConnection& bus) {
    if (!bus.isConnected()) return false;
    bus_ = bus;
    auto* object = new QObject(this);
    new MprisRoot(object, this);
    new MprisPlayer(object, this);
    if (!bus_.registerObject(QLatin1String(kPath), object, QDBusConnection::ExportAdaptors) ||
        !bus_.registerService(QLatin1String(kService))) {
        bus_.unregisterObject(QLatin1String(kPath));
        delete object;
        bus_ = QDBusConnection(QString());
        return false;
    }
    sent_ = PlayerProperties();
    // Deck states, songs and the cue change from many places; comparing a
    // few values four times a second is cheaper than hooking every one.
    poll_.setInterval(250);
    connect(&poll_, &QTimer::timeout, this, &Mpris::Refresh);
    poll_.start();
    return true;
}

QVariantMap Mpris::PlayerProperties() const {
    form1* f = Windows::Find<form1>();
    QVariantMap p;
    QVariantMap meta;
    if (!f) {
        meta[QStringLiteral("mpris:trackid")] =
            QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")));
        p[QStringLiteral("PlaybackStatus")] = QStringLiteral("Stopped");
        p[QStringLiteral("Metadata")] = meta;
        for (const char* k : {"CanGoNext", "CanPlay", "CanPause", "CanControl"}) p[QLatin1String(k)] = false;
        return p;
    }
    DeckControl* d = liveDeck(f);
    const int state = d->PlayState();
    p[QStringLiteral("PlaybackStatus")] = state == DeckPlayer::Playing  ? QStringLiteral("Playing")
                                          : state == DeckPlayer::Paused ? QStringLiteral("Paused")
                                                                        : QStringLiteral("Stopped");
    const QString file = d->FileName();
    auto* self = const_cast<Mpris*>(this);
    if (file != trackFile_) {
        self->trackFile_ = file;
        ++self->track_;
    }
    meta[QStringLiteral("mpris:trackid")] = QVariant::fromValue(
        QDBusObjectPath(file.isEmpty() ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                                       : QStringLiteral("/org/velumix/track/") + QString::number(track_)));
    if (!file.isEmpty()) {
        meta[QStringLiteral("xesam:title")] = (d == f->MP2 ? f->lblD2 : f->lblD1)->text();
        meta[QStringLiteral("xesam:url")] = QUrl::fromLocalFile(file).toString();
        if (d->Duration() > 0) meta[QStringLiteral("mpris:length")] = qlonglong(d->Duration() * 1e6);
    }
    p[QStringLiteral("Metadata")] = meta;
    const bool cueHasSongs = f->lstPlaylist->Count() > 0;
    p[QStringLiteral("CanGoNext")] = cueHasSongs;
    p[QStringLiteral("CanPlay")] = !file.isEmpty() || cueHasSongs;
    p[QStringLiteral("CanPause")] = state == DeckPlayer::Playing;
    p[QStringLiteral("CanControl")] = true;
    return p;
}

void Mpris::Act(const QString& method) {
    form1* f = Windows::Find<form1>();
    if (!f) return;
    DeckControl* d = liveDeck(f);
    const bool playing = d->PlayState() == DeckPlayer::Playing;
    if (method == QLatin1String("Quit")) {
        f->mnu_exit_Click();
    } else if (method == QLatin1String("Raise")) {
        f->show();
        f->raise();
        f->activateWindow();
    } else if (method == QLatin1String("Next")) {
        if (somethingPlays(f))
            f->FadeNow();
        else if (f->lstPlaylist->Count() > 0)
            f->Command2_Click();
    } else if (method == QLatin1String("Pause") || (method == QLatin1String("PlayPause") && playing)) {
        d->Pause();
    } else if (method == QLatin1String("Play") || method == QLatin1String("PlayPause")) {
        // An empty deck starts the cue, as the big play button would.
        if (!d->FileName().isEmpty())
            d->Play();
        else if (f->lstPlaylist->Count() > 0)
            f->Command2_Click();
    } else if (method == QLatin1String("Stop")) {
        d->Stop();
    }
    Refresh();
}

void Mpris::Refresh() {
    if (!bus_.isConnected()) return;
    const QVariantMap now = PlayerProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (sent_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    if (changed.isEmpty()) return;
    sent_ = now;
    QDBusMessage signal =
        QDBusMessage::createSignal(QLatin1String(kPath), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus_.send(signal);
}

#include "Mpris.moc"
