#include "windows/frmSoundOutput.h"

#include <QVBoxLayout>

#include "app/decks/SoundOutputs.h"

using Output = SoundOutputs::Output;

frmSoundOutput::frmSoundOutput() : outputs_(SoundOutputs::current()) {
    setWindowTitle(tr("Sound Output"));
    auto* box = new QVBoxLayout(this);
    lblMain = new QLabel(tr("Main output"), this);
    lstMain = new QListWidget(this);
    lblPreListen = new QLabel(tr("Pre-listen output"), this);
    cmbPreListen = new QComboBox(this);
    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblMain, lstMain, lblPreListen, cmbPreListen, lblStatus})
        box->addWidget(w);
    resize(420, 320);
    connect(lstMain, &QListWidget::itemClicked, this, &frmSoundOutput::lstMain_Click);
    connect(cmbPreListen, &QComboBox::activated, this, &frmSoundOutput::cmbPreListen_Click);
    if (outputs_) connect(outputs_, &SoundOutputs::Changed, this, &frmSoundOutput::FillLists);
}

void frmSoundOutput::Form_Load() {
    if (outputs_) outputs_->recheck();
    FillLists();
}

void frmSoundOutput::FillLists() {
    filling_ = true;
    lstMain->clear();
    cmbPreListen->clear();
    cmbPreListen->addItem(tr("(none)"), QString());
    const QStringList devices = outputs_ ? outputs_->devices() : QStringList();
    const QString byDefault = outputs_ ? outputs_->defaultDevice() : QString();
    const QString main = outputs_ ? outputs_->playingOn(Output::Main) : QString();
    const QString pre = outputs_ ? outputs_->chosen(Output::PreListen) : QString();
    for (const QString& d : devices) {
        const QString shown = d == byDefault ? tr("%1 (default)").arg(d) : d;
        auto* row = new QListWidgetItem(shown, lstMain);
        row->setData(Qt::UserRole, d);
        if (d == main) lstMain->setCurrentItem(row);
        cmbPreListen->addItem(shown, d);
        if (d == pre) cmbPreListen->setCurrentIndex(cmbPreListen->count() - 1);
    }
    if (devices.isEmpty())
        lblStatus->setText(tr("No sound device was found."));
    else if (const QString why = outputs_->preListenUnavailable(); !why.isEmpty() && !pre.isEmpty())
        lblStatus->setText(why);
    else
        lblStatus->clear();
    filling_ = false;
}

void frmSoundOutput::lstMain_Click() {
    if (filling_ || !outputs_ || !lstMain->currentItem()) return;
    outputs_->choose(Output::Main, lstMain->currentItem()->data(Qt::UserRole).toString());
    FillLists();
}

void frmSoundOutput::cmbPreListen_Click() {
    if (filling_ || !outputs_) return;
    outputs_->choose(Output::PreListen, cmbPreListen->currentData().toString());
    FillLists();
}
