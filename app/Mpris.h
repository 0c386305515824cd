#pragma once
// The media-player interface of the desktop (MPRIS 2 over D-Bus), so that
// media keys, panels and phone remotes drive the live deck. Registered as
// org.mpris.MediaPlayer2.velumix; without a session bus nothing happens.
#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

class form1;

class Mpris : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kService = "org.mpris.MediaPlayer2.velumix";
    static constexpr const char* kPath = "/org/mpris/MediaPlayer2";

    // Registers on `bus`; false (and silence) when the bus is not there or
    // the name is taken by another copy of the program.
    bool Start(const QDBusConnection& bus);

    // Compares the properties with the last ones sent and signals the changes.
    // Driven by a timer in the program; tests call it by hand.
    void Refresh();

    // What the interface reads and does; the main window may be gone.
    QVariantMap PlayerProperties() const;
    void Act(const QString& method);
    // Positions in microseconds, on the live deck's song. Past its end is the
    // next song; a position for another song than the one on the deck is ignored.
    void Seek(qlonglong offset);
    void SetPosition(const QString& trackId, qlonglong position);

  private:
    void moveTo(double seconds);
    QVariantMap sent_;
    QDBusConnection bus_{QString()};
    QTimer poll_;
    int track_ = 0;  // bumped whenever the live deck's song changes
    QString trackFile_;
    QVariantMap trackTags_;  // the library's tags for trackFile_, looked up once per song
};
