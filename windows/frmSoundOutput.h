#pragma once
// The sound output window (Tools): the playback devices the sound system
// offers, the default one marked, for the main mix and for pre-listen. A
// choice applies at once and is remembered by name.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include "app/Windows.h"

class SoundOutputs;

class frmSoundOutput : public Form {
    Q_OBJECT
  public:
    frmSoundOutput();
    // Tries the remembered devices again, then lists what is there now.
    void Form_Load() override;

    QLabel* lblMain;
    QListWidget* lstMain;  // one row per device; the device's name in Qt::UserRole
    QLabel* lblPreListen;
    QComboBox* cmbPreListen;  // "(none)" first, then the devices
    QLabel* lblStatus;        // why pre-listen cannot play, or where both play

    void lstMain_Click();
    void cmbPreListen_Click();
    // Lists the devices and marks the choices anew.
    void FillLists();

  private:
    SoundOutputs* outputs_;
    bool filling_ = false;
};
