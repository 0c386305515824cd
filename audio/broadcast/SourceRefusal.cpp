#include "audio/broadcast/SourceRefusal.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>

namespace audio {
namespace {

constexpr int kAnswerTimeoutMs = 5000;

std::string base64(const std::string& in) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3) {
        const size_t n = std::min<size_t>(3, in.size() - i);
        uint32_t v = 0;
        for (size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? uint8_t(in[i + k]) : 0);
        for (size_t k = 0; k < 4; ++k) out += k <= n ? digits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// Connects within the timeout; -1 when the host cannot be reached.
int connectTo(const BroadcastConfig& config) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(config.host.c_str(), std::to_string(config.port).c_str(), &hints, &found) != 0) return -1;
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        pollfd p{fd, POLLOUT, 0};
        int err = 0;
        socklen_t len = sizeof err;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 &&
            (errno != EINPROGRESS || poll(&p, 1, kAnswerTimeoutMs) != 1 ||
             getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0)) {
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

}  // namespace

RefusalReason ClassifyRefusal(const std::string& response) {
    const size_t space = response.find(' ');
    if (response.rfind("HTTP/", 0) != 0 || space == std::string::npos) return {};
    const int code = std::atoi(response.c_str() + space + 1);
    const size_t bodyAt = response.find("\r\n\r\n");
    std::string body = bodyAt == std::string::npos ? "" : response.substr(bodyAt + 4);
    body = body.substr(0, body.find_first_of("\r\n"));
    const std::string words = lower(body);
    if (code >= 200 && code < 300) return {Refusal::None, ""};
    if (code == 401) return {Refusal::BadLogin, body};
    if (words.find("in use") != std::string::npos) return {Refusal::MountInUse, body};
    if (code == 415 || words.find("content-type") != std::string::npos ||
        words.find("format") != std::string::npos)
        return {Refusal::FormatRefused, body};
    const size_t lineEnd = response.find("\r\n");
    return {Refusal::Other, body.empty() ? response.substr(space + 1, lineEnd - space - 1) : body};
}

RefusalReason AskWhyRefused(const BroadcastConfig& config) {
    const int fd = connectTo(config);
    if (fd < 0) return {};
    const std::string request = "PUT " + config.mount + " HTTP/1.0\r\nAuthorization: Basic " +
                                base64(config.user + ":" + config.password) +
                                "\r\nContent-Type: " + FormatMime(config.format) +
                                "\r\nUser-Agent: Velumix\r\n\r\n";
    std::string answer;
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
        char buf[1024];
        // A refusal is a short answer and a close; an accepted source is
        // left at its headers.
        while (answer.size() < 8192 && !(answer.find("\r\n\r\n") != std::string::npos &&
                                         ClassifyRefusal(answer).kind == Refusal::None)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, int(left.count())) != 1) break;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            answer.append(buf, size_t(n));
        }
    }
    ::close(fd);
    return ClassifyRefusal(answer);
}

}  // namespace audio
