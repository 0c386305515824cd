#include "audio/broadcast/IcecastLink.h"

#include <netdb.h>
#include <shout/shout.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "audio/broadcast/SourceRefusal.h"

namespace audio {
namespace {

constexpr auto kConnectTimeout = std::chrono::seconds(10);
constexpr auto kConnectPoll = std::chrono::milliseconds(20);
// More than this much audio waiting to go out means the server or the
// network has stopped taking it; starting over beats an ever longer delay.
constexpr int kMaxQueuedSeconds = 10;

bool hostKnown(const std::string& host) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (found) freeaddrinfo(found);
    return rc != EAI_NONAME && rc != EAI_NODATA && rc != EAI_FAIL;
}

std::string where(const BroadcastConfig& c) {
    return c.host + ":" + std::to_string(c.port);
}

LinkResult explainRefusal(const BroadcastConfig& c) {
    const RefusalReason why = AskWhyRefused(c);
    switch (why.kind) {
        case Refusal::BadLogin:
            return {LinkOutcome::BadLogin, "The server refused the user name or password."};
        case Refusal::MountInUse:
            return {LinkOutcome::MountInUse, "Another source is already on the mount point " + c.mount + "."};
        case Refusal::FormatRefused:
            return {LinkOutcome::FormatRefused, std::string("The server does not accept ") +
                                                    FormatName(c.format) + " on " + c.mount + "."};
        case Refusal::Other:
            return {LinkOutcome::Refused, "The server refused the stream: " + why.detail};
        case Refusal::None:
        case Refusal::NoAnswer:
            break;
    }
    return {LinkOutcome::Refused, "The server refused the stream."};
}

}  // namespace

bool IsFinal(LinkOutcome outcome) {
    return outcome == LinkOutcome::BadLogin || outcome == LinkOutcome::FormatRefused ||
           outcome == LinkOutcome::Refused;
}

IcecastLink::IcecastLink() {
    static std::once_flag init;
    std::call_once(init, [] { shout_init(); });
    shout_ = shout_new();
}

IcecastLink::~IcecastLink() {
    shout_close(shout_);
    shout_free(shout_);
}

LinkResult IcecastLink::open(const BroadcastConfig& c, int rate, const std::atomic<bool>& stop) {
    if (!hostKnown(c.host)) return {LinkOutcome::UnknownHost, "Unknown host \"" + c.host + "\"."};
    shout_set_host(shout_, c.host.c_str());
    shout_set_port(shout_, (unsigned short)c.port);
    shout_set_user(shout_, c.user.c_str());
    shout_set_password(shout_, c.password.c_str());
    shout_set_mount(shout_, c.mount.c_str());
    shout_set_protocol(shout_, SHOUT_PROTOCOL_HTTP);
    shout_set_content_format(shout_, c.format == StreamFormat::Mp3 ? SHOUT_FORMAT_MP3 : SHOUT_FORMAT_OGG,
                             SHOUT_USAGE_AUDIO, nullptr);
    shout_set_agent(shout_, "Velumix");
    shout_set_public(shout_, c.isPublic ? 1 : 0);
    for (auto [key, value] : {std::pair{SHOUT_META_NAME, &c.name}, std::pair{SHOUT_META_GENRE, &c.genre},
                              std::pair{SHOUT_META_DESCRIPTION, &c.description}})
        if (!value->empty()) shout_set_meta(shout_, key, value->c_str());
    shout_set_audio_info(shout_, SHOUT_AI_BITRATE, std::to_string(c.kbps).c_str());
    shout_set_audio_info(shout_, SHOUT_AI_SAMPLERATE, std::to_string(rate).c_str());
    shout_set_audio_info(shout_, SHOUT_AI_CHANNELS, "2");
    shout_set_nonblocking(shout_, SHOUT_BLOCKING_NONE);
    maxQueued_ = size_t(c.kbps) * 1000 / 8 * kMaxQueuedSeconds;

    int rc = shout_open(shout_);
    const auto deadline = std::chrono::steady_clock::now() + kConnectTimeout;
    while (rc == SHOUTERR_BUSY || rc == SHOUTERR_RETRY) {
        if (stop.load()) return {LinkOutcome::Stopped, ""};
        if (std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(kConnectPoll);
        rc = shout_get_connected(shout_);
    }
    if (rc == SHOUTERR_SUCCESS || rc == SHOUTERR_CONNECTED) return {LinkOutcome::Connected, ""};
    shout_close(shout_);
    if (rc == SHOUTERR_NOLOGIN) return explainRefusal(c);
    return {LinkOutcome::Unreachable, "No Icecast server answers at " + where(c) + "."};
}

LinkResult IcecastLink::send(const std::string& bytes) {
    const int rc = shout_send(shout_, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (rc != SHOUTERR_SUCCESS && rc != SHOUTERR_BUSY)
        return {LinkOutcome::Lost, "The connection to the server was lost."};
    if (shout_queuelen(shout_) > ssize_t(maxQueued_))
        return {LinkOutcome::Stalled, "The server stopped taking the stream."};
    return {LinkOutcome::Connected, ""};
}

void IcecastLink::setTitle(const std::string& title) {
    shout_metadata_t* meta = shout_metadata_new();
    if (!meta) return;
    if (shout_metadata_add(meta, "song", title.c_str()) == SHOUTERR_SUCCESS) {
        // A title that does not arrive is no reason to leave the air.
        [[maybe_unused]] const int rc = shout_set_metadata_utf8(shout_, meta);
    }
    shout_metadata_free(meta);
}

}  // namespace audio
