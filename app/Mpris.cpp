#include "app/Mpris.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>

#include "app/Module1.h"
#include "app/Windows.h"
#include "app/decks/DeckFactory.h"
#include "app/form1.h"
#include "library/SongTags.h"

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

DeckControl* liveDeck(form1* f) {
    return Module1::CurrentDeck == 2 ? f->MP2 : f->MP1;
}

bool somethingPlays(form1* f) {
    return f->MP1->PlayState() == DeckPlayer::Playing || f->MP2->PlayState() == DeckPlayer::Playing;
}

// What a panel shows of a song: the library's tags, else the file's name.
QVariantMap tagsOf(const QString& file) {
    const QFileInfo info(file);
    const SongTags::Tags t = SongTags::Of(info.path() + u'/', info.fileName());
    QVariantMap meta;
    meta[QStringLiteral("xesam:title")] = t.title.isEmpty() ? info.completeBaseName() : t.title;
    if (!t.artist.isEmpty()) meta[QStringLiteral("xesam:artist")] = QStringList{t.artist};
    if (!t.album.isEmpty()) meta[QStringLiteral("xesam:album")] = t.album;
    return meta;
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
    Q_PROPERTY(bool CanGoPrevious READ canSeek)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
    Q_PROPERTY(double Rate READ one)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
  public:
    MprisPlayer(QObject* parent, Mpris* m) : QDBusAbstractAdaptor(parent), m_(m) {}
    QString playbackStatus() const { return get("PlaybackStatus").toString(); }
    QVariantMap metadata() const { return get("Metadata").toMap(); }
    bool canGoNext() const { return get("CanGoNext").toBool(); }
    bool canPlay() const { return get("CanPlay").toBool(); }
    bool canPause() const { return get("CanPause").toBool(); }
    bool canSeek() const { return get("CanSeek").toBool(); }
    double volume() const { return MasterLevel(); }
    void setVolume(double level) {
        SetMasterLevel(level);
        m_->Refresh();
    }
    bool canControl() const { return get("CanControl").toBool(); }
    bool no() const { return false; }
    double one() const { return 1.0; }
    qlonglong position() const {
        form1* f = Windows::Find<form1>();
        return f ? qlonglong(liveDeck(f)->CurrentPosition() * 1e6) : 0;
    }
  public slots:
    void Next() { m_->Act(QStringLiteral("Next")); }
    void Previous() { m_->Act(QStringLiteral("Previous")); }
    void Pause() { m_->Act(QStringLiteral("Pause")); }
    void PlayPause() { m_->Act(QStringLiteral("PlayPause")); }
    void Stop() { m_->Act(QStringLiteral("Stop")); }
    void Play() { m_->Act(QStringLiteral("Play")); }
    void Seek(qlonglong offset) { m_->Seek(offset); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position) {
        m_->SetPosition(track.path(), position);
    }
    void OpenUri(const QString&) {}
  signals:
    // Listed for the desktop's introspection; sent by Mpris::moveTo.
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
        for (const char* k : {"CanGoNext", "CanPlay", "CanPause", "CanSeek", "CanControl"})
            p[QLatin1String(k)] = false;
        p[QStringLiteral("Volume")] = MasterLevel();
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
        self->trackTags_ = file.isEmpty() ? QVariantMap() : tagsOf(file);
        ++self->track_;
    }
    meta[QStringLiteral("mpris:trackid")] = QVariant::fromValue(
        QDBusObjectPath(file.isEmpty() ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                                       : QStringLiteral("/org/velumix/track/") + QString::number(track_)));
    if (!file.isEmpty()) {
        meta.insert(trackTags_);
        meta[QStringLiteral("xesam:url")] = QUrl::fromLocalFile(file).toString();
        if (d->Duration() > 0) meta[QStringLiteral("mpris:length")] = qlonglong(d->Duration() * 1e6);
    }
    p[QStringLiteral("Metadata")] = meta;
    const bool cueHasSongs = f->lstPlaylist->Count() > 0;
    p[QStringLiteral("CanGoNext")] = cueHasSongs;
    p[QStringLiteral("CanPlay")] = !file.isEmpty() || cueHasSongs;
    p[QStringLiteral("CanPause")] = state == DeckPlayer::Playing;
    p[QStringLiteral("CanSeek")] = !file.isEmpty() && d->Duration() > 0;
    p[QStringLiteral("Volume")] = MasterLevel();
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
    } else if (method == QLatin1String("Previous")) {
        // One song is on a deck at a time: "previous" starts it again.
        if (!d->FileName().isEmpty()) moveTo(0);
    }
    Refresh();
}

void Mpris::Seek(qlonglong offset) {
    form1* f = Windows::Find<form1>();
    // A song of unknown length has no end to measure a jump against.
    if (!f || liveDeck(f)->FileName().isEmpty() || liveDeck(f)->Duration() <= 0) return;
    DeckControl* d = liveDeck(f);
    const double to = d->CurrentPosition() + double(offset) / 1e6;
    if (to >= d->Duration())
        Act(QStringLiteral("Next"));
    else
        moveTo(std::max(0.0, to));
}

void Mpris::SetPosition(const QString& trackId, qlonglong position) {
    form1* f = Windows::Find<form1>();
    if (!f) return;
    const QVariantMap meta = PlayerProperties().value(QStringLiteral("Metadata")).toMap();
    const QString current = meta.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    const double to = double(position) / 1e6;
    if (trackId == current && to >= 0 && to <= liveDeck(f)->Duration()) moveTo(to);
}

void Mpris::moveTo(double seconds) {
    form1* f = Windows::Find<form1>();
    if (!f) return;
    liveDeck(f)->SetCurrentPosition(seconds);
    // A jump is told, as the position itself is never signalled.
    if (!bus_.isConnected()) return;
    QDBusMessage seeked =
        QDBusMessage::createSignal(QLatin1String(kPath), kPlayerInterface, QStringLiteral("Seeked"));
    seeked << qlonglong(seconds * 1e6);
    bus_.send(seeked);
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
