#pragma once
// The deck player control on the main window (MP1, MP2): the player's own
// transport (play, pause, stop), a position tracker that seeks when dragged,
// a volume control on the player's volume, and a context menu.
#include <QWidget>
#include <memory>

#include "app/decks/DeckPlayer.h"

class QPushButton;
class QSlider;
class QTimer;

class DeckControl : public QWidget {
    Q_OBJECT
  public:
    DeckControl(std::unique_ptr<DeckPlayer> player, QWidget* parent = nullptr);
    ~DeckControl() override;

    DeckPlayer* player() const { return player_.get(); }

    // The player's operations, so handlers read as they would on the control.
    bool SetFileName(const QString& f) { return player_->SetFileName(f); }
    bool Open(const QString& f) {
        const bool opened = player_->Open(f);
        emit OpenTried(f, opened);
        return opened;
    }
    QString FileName() const { return player_->FileName(); }
    QString LastError() const { return player_->LastError(); }
    void Play() { player_->Play(); }
    void Stop() { player_->Stop(); }
    void Pause() { player_->Pause(); }
    int Volume() const { return player_->Volume(); }
    void SetVolume(int v) { player_->SetVolume(v); }
    void GlideVolume(int v, int ms) { player_->GlideVolume(v, ms); }
    double CurrentPosition() const { return player_->CurrentPosition(); }
    void SetCurrentPosition(double s) { player_->SetCurrentPosition(s); }
    double Duration() const { return player_->Duration(); }
    int PlayState() const { return player_->PlayState(); }

    QPushButton* playButton() const { return play_; }
    QPushButton* pauseButton() const { return pause_; }
    QPushButton* stopButton() const { return stop_; }
    QSlider* tracker() const { return tracker_; }
    QSlider* volumeControl() const { return volume_; }

  signals:
    void EndOfStream(int result);
    void PlayStateChange(int oldState, int newState);
    // After each Open, also on a deck that was playing and plays on.
    void OpenTried(const QString& file, bool opened);

  public slots:
    // Brings the tracker and volume control up to date with the player.
    void refresh();

  protected:
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    std::unique_ptr<DeckPlayer> player_;
    QPushButton* play_;
    QPushButton* pause_;
    QPushButton* stop_;
    QSlider* tracker_;
    QSlider* volume_;
    QTimer* refresh_;
    bool dragging_ = false;
};
