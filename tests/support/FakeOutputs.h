#pragma once
// A scripted sound system: named devices, one of them the default, whose
// streams the test pulls frames from by hand, and which it can unplug.
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/Output.h"

struct FakeOutputs : audio::OutputSystem {
    struct Stream : audio::OutputStream {
        FakeOutputs* system;
        std::string device;
        audio::RenderFn fn;
        void* user;
        bool gone = false;
        Stream(FakeOutputs* s, std::string d, audio::RenderFn f, void* u)
            : system(s), device(std::move(d)), fn(f), user(u) {}
        ~Stream() override { std::erase(system->streams, this); }
        bool lost() const override { return gone; }
        void lock() override {}
        void unlock() override {}
        // What the device's callback would ask for, appended to out; nothing once unplugged.
        bool pull(std::vector<float>& out, int frames) {
            if (gone) return false;
            out.resize(out.size() + 2 * size_t(frames));
            fn(user, out.data() + out.size() - 2 * size_t(frames), frames);
            return true;
        }
    };

    std::vector<std::string> names{"Laptop speakers", "USB interface", "Headphones"};
    std::string defaultName = "Laptop speakers";
    std::set<std::string> failing;  // devices whose open fails
    std::vector<Stream*> streams;   // open now

    std::vector<std::string> devices() override { return names; }
    std::string defaultDevice() override { return defaultName; }
    std::unique_ptr<audio::OutputStream> open(const std::string& device, int&, audio::RenderFn fn, void* user,
                                              std::string& error) override {
        const std::string real = device.empty() ? defaultName : device;
        if (failing.count(real) || std::find(names.begin(), names.end(), real) == names.end()) {
            error = "no such device";
            return nullptr;
        }
        auto s = std::make_unique<Stream>(this, real, fn, user);
        streams.push_back(s.get());
        return s;
    }
    bool hasDevice() const override { return true; }
    std::string driver() const override { return "fake"; }

    // The open stream on that device (null when none).
    Stream* on(const std::string& device) {
        for (Stream* s : streams)
            if (s->device == device) return s;
        return nullptr;
    }
    void unplug(const std::string& device) {
        std::erase(names, device);
        if (Stream* s = on(device)) s->gone = true;
    }
};
