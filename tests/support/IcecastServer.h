#pragma once
// A real Icecast server for a test: icecast2 on 127.0.0.1 at a free port,
// configured in a temporary folder, started and stopped by the test. Under
// root the server insists on dropping privileges, so the folder is opened to
// the account it changes to.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace icecast_http {

inline sockaddr_in loopback(int port) {
    return {AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
}

// A free port below the kernel's ephemeral range (from 32768): a port taken
// from that range can be handed to a client socket of a parallel test before
// the server binds it, or again on its restart.
inline int freePort() {
    std::mt19937 pick(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int port = 20000 + int(pick() % 12000);
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = loopback(port);
        const bool free = bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
        close(fd);
        if (free) return port;
    }
    return 0;
}

// A connected socket with a GET for path sent; -1 on failure.
inline int requestGet(int port, const std::string& path, int timeoutSeconds) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = loopback(port);
    timeval timeout{timeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
    if (connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size()))
        return fd;
    close(fd);
    return -1;
}

inline std::string body(const std::string& answer) {
    const size_t at = answer.find("\r\n\r\n");
    return at == std::string::npos ? "" : answer.substr(at + 4);
}

// The body of a plain HTTP GET on 127.0.0.1, empty on failure.
inline std::string HttpGet(int port, const std::string& path) {
    const int fd = requestGet(port, path, 5);
    std::string answer;
    char buf[4096];
    for (ssize_t n; fd >= 0 && (n = recv(fd, buf, sizeof buf, 0)) > 0;) answer.append(buf, size_t(n));
    if (fd >= 0) close(fd);
    return body(answer);
}

}  // namespace icecast_http

// Polls until done() holds or `seconds` have passed; for states a real
// server reaches in its own time.
inline bool WaitUntil(const std::function<bool()>& done, double seconds) {
    QDeadlineTimer deadline(qint64(seconds * 1000));
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return true;
}

class IcecastServer {
  public:
    static constexpr const char* kPassword = "on-air-test";

    IcecastServer() : port_(icecast_http::freePort()) {
        const QString d = dir_.path();
        // The server drops root for an unprivileged account, which must still write its logs.
        chmod(QFile::encodeName(d).constData(), 0777);
        const char* root =
            getuid() == 0 ? "<changeowner><user>nobody</user><group>nogroup</group></changeowner>" : "";
        QFile conf(d + "/icecast.xml");
        conf.open(QIODevice::WriteOnly);
        conf.write(
            QStringLiteral(
                "<icecast><limits><clients>20</clients><sources>8</sources><source-timeout>5</source-timeout>"
                "<burst-size>0</burst-size></limits>"
                "<authentication><source-password>%1</source-password><admin-user>admin</admin-user>"
                "<admin-password>%1</admin-password></authentication><hostname>127.0.0.1</hostname>"
                "<listen-socket><port>%2</port><bind-address>127.0.0.1</bind-address></listen-socket>"
                "<paths><basedir>%3</basedir><logdir>%3</logdir><webroot>/usr/share/icecast2/web</webroot>"
                "<adminroot>/usr/share/icecast2/admin</adminroot></paths>"
                "<logging><errorlog>error.log</errorlog><accesslog>access.log</accesslog>"
                "<loglevel>3</loglevel></logging><security><chroot>0</chroot>%4</security></icecast>")
                .arg(QLatin1String(kPassword))
                .arg(port_)
                .arg(d, root)
                .toUtf8());
    }
    ~IcecastServer() { stop(); }

    // Starts the server (again, at the same port) and waits until it answers.
    bool start() {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral("icecast2"),
                       {QStringLiteral("-c"), dir_.path() + QStringLiteral("/icecast.xml")});
        if (!process_.waitForStarted(10000)) return false;
        return WaitUntil([this] { return !icecast_http::HttpGet(port_, "/status-json.xsl").empty(); }, 15);
    }
    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(10000)) process_.kill();
        process_.waitForFinished(5000);
    }
    int port() const { return port_; }

    // The server's own view of a mount (status-json), empty when unknown.
    QJsonObject mountStatus(const std::string& mount) const {
        const QByteArray json = QByteArray::fromStdString(icecast_http::HttpGet(port_, "/status-json.xsl"));
        // One source comes as an object, several as an array.
        const QJsonValue sources = QJsonDocument::fromJson(json)["icestats"]["source"];
        for (const QJsonValue& s : sources.isArray() ? sources.toArray() : QJsonArray{sources})
            if (s["listenurl"].toString().endsWith(QString::fromStdString(mount))) return s.toObject();
        return {};
    }
    // One of the server's logs so far ("error.log", "access.log").
    QString log(const char* name = "error.log") const {
        QFile f(dir_.path() + QLatin1Char('/') + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

  private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

// A listener: reads a mount's raw stream bytes on a thread of its own until
// stopped, so the test can keep the show going meanwhile.
class StreamCapture {
  public:
    StreamCapture(int port, const std::string& mount) {
        const int fd = icecast_http::requestGet(port, mount, 1);
        thread_ = std::thread([this, fd] {
            char buf[4096];
            while (fd >= 0 && !stop_) {
                const ssize_t n = recv(fd, buf, sizeof buf, 0);
                if (n > 0) bytes_.append(buf, size_t(n));
                if (n == 0) break;  // a timeout (-1) only gives stop_ a look
            }
            if (fd >= 0) close(fd);
        });
    }
    ~StreamCapture() { finish(); }
    // Stops listening; returns the body received (no HTTP headers).
    std::string finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return icecast_http::body(bytes_);
    }

  private:
    std::atomic<bool> stop_{false};
    std::string bytes_;
    std::thread thread_;
};
