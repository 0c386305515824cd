// Choosing and moving the engine's outputs between devices. All of it runs on
// the control (UI) thread; a callback only ever sees a stream that is open.
#include "audio/Engine.h"

namespace audio {

std::vector<std::string> Engine::devices() const {
    return system_ ? system_->devices() : std::vector<std::string>{};
}

std::string Engine::defaultDevice() const {
    return system_ ? system_->defaultDevice() : "";
}

bool Engine::selectDevice(Output output, const std::string& device, std::string& error) {
    Out& o = out(output);
    if (!system_) {
        error = "no sound system";
        return false;
    }
    // The old stream closes first: its close waits for a running callback,
    // so no two callbacks ever mix the same decks. The decks only move on
    // when rendered, so the new device goes on from the very next frame.
    o.stream.reset();
    int rate = rate_;
    o.stream = system_->open(device, rate, &Engine::callback, &o, error);
    if (o.stream) {
        o.device = device;
        return true;
    }
    o.device.clear();
    if (output == Output::Main && !device.empty()) {
        std::string ignored;
        o.stream = system_->open("", rate, &Engine::callback, &o, ignored);
    }
    return false;
}

void Engine::closeDevice(Output output) {
    out(output).stream.reset();
    out(output).device.clear();
}

bool Engine::checkDevices() {
    bool moved = false;
    for (Out& o : outs_) {
        if (!o.stream || !o.stream->lost()) continue;
        moved = true;
        std::string error;
        if (o.which == Output::Main)
            selectDevice(Output::Main, "", error);
        else
            closeDevice(Output::PreListen);
    }
    return moved;
}

}  // namespace audio
