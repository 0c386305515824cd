#pragma once
// The broadcast window (Tools, "Broadcast..."): where the mix goes on the
// air, Connect and Disconnect, and one status line. It never shows a box: a
// refusal in the middle of a show is told in the status line.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/Windows.h"
#include "audio/broadcast/BroadcastConfig.h"

class frmBroadcast : public Form {
    Q_OBJECT
  public:
    frmBroadcast();
    // Shows the stored settings and the broadcast's state.
    void Form_Load() override;

    QLineEdit* txtHost;
    QSpinBox* txtPort;
    QLineEdit* txtMount;
    QLineEdit* txtUser;
    QLineEdit* txtPassword;
    QComboBox* cmbFormat;  // the formats this build encodes; the format in Qt::UserRole
    QComboBox* cmbBitrate;
    QLineEdit* txtName;
    QLineEdit* txtGenre;
    QLineEdit* txtDescription;
    QCheckBox* chkPublic;
    QPushButton* cmdConnect;
    QPushButton* cmdDisconnect;
    QLabel* lblStatus;
    QLabel* lblPasswordKept;  // says so when the password is in the settings file

    // Stores the settings and goes on the air with them.
    void cmdConnect_Click();
    void cmdDisconnect_Click();
    audio::BroadcastConfig Fields() const;

  private:
    void showConfig(const audio::BroadcastConfig& config);
    void showState();
};
