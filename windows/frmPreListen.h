#pragma once
// The small pre-listen window: the song in the headphones, where it is (drag
// to seek), play/stop, its own volume, and a jump to just before the end to
// hear the outro where the fade will be.
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "app/Cue.h"
#include "app/Windows.h"

class PreListenPlayer;

class frmPreListen : public Form {
    Q_OBJECT
  public:
    frmPreListen();
    void Form_Unload(int& Cancel) override;

    QLabel* lblSong;
    QSlider* sldPosition;  // tenths of a second
    QPushButton* cmdPlay;  // "Play" while stopped, "Stop" while playing
    QSlider* sldVolume;    // hundredths of a decibel, the decks' range
    QPushButton* cmdOutro;
    QTimer* tmrPosition;  // follows the player; the test calls its handler

    bool PlaySong(const CueSong& song);
    void cmdPlay_Click();
    void cmdOutro_Click();
    void sldPosition_Release();
    void sldVolume_Change(int value);
    void tmrPosition_Timer();

  private:
    PreListenPlayer* player_;
};
