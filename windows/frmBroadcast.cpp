#include "windows/frmBroadcast.h"

#include <QFormLayout>
#include <QHBoxLayout>

#include "app/decks/BroadcastSettings.h"
#include "app/decks/OnAir.h"

namespace {

const int kBitrates[] = {64, 96, 128, 160, 192, 256, 320};

QString passwordNote() {
    return BroadcastSettings::PasswordInFile()
               ? frmBroadcast::tr(
                     "No secret store was found: the password is kept in your settings file, "
                     "which only you can read.")
               : QString();
}

}  // namespace

frmBroadcast::frmBroadcast() {
    setWindowTitle(tr("Broadcast"));
    auto* form = new QFormLayout(this);
    txtHost = new QLineEdit(this);
    txtPort = new QSpinBox(this);
    txtPort->setRange(1, 65535);
    txtMount = new QLineEdit(this);
    txtUser = new QLineEdit(this);
    txtPassword = new QLineEdit(this);
    txtPassword->setEchoMode(QLineEdit::Password);
    cmbFormat = new QComboBox(this);
    for (audio::StreamFormat f : audio::AvailableFormats()) cmbFormat->addItem(audio::FormatName(f), int(f));
    cmbBitrate = new QComboBox(this);
    for (int kbps : kBitrates) cmbBitrate->addItem(tr("%1 kbps").arg(kbps), kbps);
    txtName = new QLineEdit(this);
    txtGenre = new QLineEdit(this);
    txtDescription = new QLineEdit(this);
    chkPublic = new QCheckBox(tr("List the stream in public directories"), this);
    cmdConnect = new QPushButton(tr("&Connect"), this);
    cmdDisconnect = new QPushButton(tr("&Disconnect"), this);
    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    lblPasswordKept = new QLabel(this);
    lblPasswordKept->setWordWrap(true);
    form->addRow(tr("Server"), txtHost);
    form->addRow(tr("Port"), txtPort);
    form->addRow(tr("Mount point"), txtMount);
    form->addRow(tr("User"), txtUser);
    form->addRow(tr("Password"), txtPassword);
    form->addRow(QString(), lblPasswordKept);
    form->addRow(tr("Format"), cmbFormat);
    form->addRow(tr("Bitrate"), cmbBitrate);
    form->addRow(tr("Stream name"), txtName);
    form->addRow(tr("Genre"), txtGenre);
    form->addRow(tr("Description"), txtDescription);
    form->addRow(QString(), chkPublic);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdConnect);
    buttons->addWidget(cmdDisconnect);
    form->addRow(buttons);
    form->addRow(lblStatus);
    connect(cmdConnect, &QPushButton::clicked, this, &frmBroadcast::cmdConnect_Click);
    connect(cmdDisconnect, &QPushButton::clicked, this, &frmBroadcast::cmdDisconnect_Click);
    if (OnAir* air = OnAir::current()) connect(air, &OnAir::StatusChanged, this, &frmBroadcast::showState);
    resize(420, 480);
}

void frmBroadcast::Form_Load() {
    showConfig(BroadcastSettings::Load(*MakeSecretStore()));
    lblPasswordKept->setText(passwordNote());
    showState();
}

void frmBroadcast::showConfig(const audio::BroadcastConfig& c) {
    txtHost->setText(QString::fromStdString(c.host));
    txtPort->setValue(c.port);
    txtMount->setText(QString::fromStdString(c.mount));
    txtUser->setText(QString::fromStdString(c.user));
    txtPassword->setText(QString::fromStdString(c.password));
    cmbFormat->setCurrentIndex(std::max(0, cmbFormat->findData(int(c.format))));
    cmbBitrate->setCurrentIndex(std::max(0, cmbBitrate->findData(c.kbps)));
    txtName->setText(QString::fromStdString(c.name));
    txtGenre->setText(QString::fromStdString(c.genre));
    txtDescription->setText(QString::fromStdString(c.description));
    chkPublic->setChecked(c.isPublic);
}

audio::BroadcastConfig frmBroadcast::Fields() const {
    audio::BroadcastConfig c;
    c.host = txtHost->text().trimmed().toStdString();
    c.port = txtPort->value();
    // A server knows mounts only by their absolute path.
    const QString mount = txtMount->text().trimmed();
    c.mount = (mount.startsWith(QLatin1Char('/')) ? mount : QLatin1Char('/') + mount).toStdString();
    c.user = txtUser->text().trimmed().toStdString();
    c.password = txtPassword->text().toStdString();
    c.format = audio::StreamFormat(cmbFormat->currentData().toInt());
    c.kbps = cmbBitrate->currentData().toInt();
    c.name = txtName->text().toStdString();
    c.genre = txtGenre->text().toStdString();
    c.description = txtDescription->text().toStdString();
    c.isPublic = chkPublic->isChecked();
    return c;
}

void frmBroadcast::cmdConnect_Click() {
    const audio::BroadcastConfig c = Fields();
    if (c.host.empty() || c.mount.size() < 2) {
        lblStatus->setText(tr("Enter the server and the mount point first."));
        return;
    }
    BroadcastSettings::Save(c, *MakeSecretStore());
    lblPasswordKept->setText(passwordNote());
    OnAir* air = OnAir::current();
    if (!air) {
        lblStatus->setText(tr("Broadcasting needs the program's own decks."));
        return;
    }
    air->Connect(c);
    showState();
}

void frmBroadcast::cmdDisconnect_Click() {
    if (OnAir* air = OnAir::current()) air->Disconnect();
    showState();
}

void frmBroadcast::showState() {
    const OnAir* air = OnAir::current();
    const bool active = air && air->Active();
    cmdConnect->setEnabled(!active);
    cmdDisconnect->setEnabled(active);
    if (air) lblStatus->setText(air->StatusLine());
}
