#include "app/decks/SoundOutputs.h"

#include <QTimer>

#include "app/Options.h"

namespace {

SoundOutputs* g_current = nullptr;

const char* keyOf(SoundOutputs::Output output) {
    return output == SoundOutputs::Output::Main ? "sound/mainOutput" : "sound/preListenOutput";
}

}  // namespace

SoundOutputs::SoundOutputs(std::shared_ptr<audio::Engine> engine, QObject* parent)
    : QObject(parent), engine_(std::move(engine)), recheck_(new QTimer(this)), watch_(new QTimer(this)) {
    g_current = this;
    recheck_->setInterval(kRecheckMs);
    watch_->setInterval(kWatchMs);
    connect(recheck_, &QTimer::timeout, this, &SoundOutputs::recheck);
    connect(watch_, &QTimer::timeout, this, &SoundOutputs::watch);
}

void SoundOutputs::start() {
    // Without a sound card there is nothing to choose; the dummy driver plays on.
    if (!engine_->hasDevice()) return;
    apply(Output::Main, true);
    apply(Output::PreListen, true);
    recheck_->start();
    watch_->start();
}

SoundOutputs::~SoundOutputs() {
    if (g_current == this) g_current = nullptr;
}

SoundOutputs* SoundOutputs::current() {
    return g_current;
}

PreListenPlayer& SoundOutputs::preListen() {
    if (!preListen_) preListen_ = std::make_unique<PreListenPlayer>(engine_);
    return *preListen_;
}

QStringList SoundOutputs::devices() const {
    QStringList list;
    for (const std::string& d : engine_->devices()) list << QString::fromStdString(d);
    return list;
}

QString SoundOutputs::defaultDevice() const {
    return QString::fromStdString(engine_->defaultDevice());
}

QString SoundOutputs::chosen(Output output) const {
    return Options::Text(keyOf(output));
}

QString SoundOutputs::playingOn(Output output) const {
    if (!engine_->isOpen(output)) return {};
    const std::string& d = engine_->device(output);
    return d.empty() ? defaultDevice() : QString::fromStdString(d);
}

bool SoundOutputs::choose(Output output, const QString& device) {
    Options::SetText(keyOf(output), device);
    const bool ok = apply(output, false);
    // The main mix may have moved onto the headphones, or off them.
    if (output == Output::Main) apply(Output::PreListen, false);
    emit Changed();
    return ok;
}

// Puts the output on its chosen device when that is present and not already
// in use. Pre-listen never shares the main mix's device: the room would hear it.
bool SoundOutputs::apply(Output output, bool tell) {
    const QString want = chosen(output);
    const bool pre = output == Output::PreListen;
    if (pre && (want.isEmpty() || want == playingOn(Output::Main))) {
        engine_->closeDevice(output);
        return want.isEmpty();
    }
    if (!want.isEmpty() && playingOn(output) == want) return true;
    std::string error;
    if (!want.isEmpty() && devices().contains(want) &&
        engine_->selectDevice(output, want.toStdString(), error))
        return true;
    if (pre)
        engine_->closeDevice(output);
    else if (!engine_->isOpen(output) || !engine_->device(output).empty())
        engine_->selectDevice(output, "", error);
    if (tell && !want.isEmpty())
        emit Notice(tr("The sound output \"%1\" is not there; %2")
                        .arg(want, pre ? tr("pre-listen is off until it is.")
                                       : tr("playing on the default device.")));
    return want.isEmpty() && !pre;
}

void SoundOutputs::recheck() {
    bool moved = false;
    for (Output o : {Output::Main, Output::PreListen}) {
        const QString before = playingOn(o);
        if (!chosen(o).isEmpty() && before != chosen(o)) apply(o, false);
        moved |= playingOn(o) != before;
    }
    if (moved) emit Changed();
}

void SoundOutputs::watch() {
    const QString main = playingOn(Output::Main), pre = playingOn(Output::PreListen);
    if (!engine_->checkDevices()) return;
    if (playingOn(Output::Main) != main)
        emit Notice(tr("The sound output \"%1\" went away; playing on the default device.").arg(main));
    if (!pre.isEmpty() && playingOn(Output::PreListen).isEmpty())
        emit Notice(tr("The pre-listen output \"%1\" went away.").arg(pre));
    emit Changed();
}

QString SoundOutputs::preListenUnavailable() const {
    if (engine_->isOpen(Output::PreListen)) return {};
    if (devices().size() < 2) return tr("Pre-listen needs a second sound output, and there is only one.");
    if (!chosen(Output::PreListen).isEmpty() && chosen(Output::PreListen) == playingOn(Output::Main))
        return tr("Pre-listen needs a sound output other than the main one (Tools, Sound Output...).");
    if (!chosen(Output::PreListen).isEmpty())
        return tr("The pre-listen output \"%1\" is not there.").arg(chosen(Output::PreListen));
    return tr("Choose a pre-listen output in Tools, Sound Output...");
}
