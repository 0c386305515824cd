#include "support/IcecastServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include <random>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A free port below the kernel's ephemeral range (from 32768): a port taken
// from that range can be handed to a client socket of a parallel test before
// the server binds it, or again on its restart.
int freePort() {
    std::mt19937 pick(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int port = 20000 + int(pick() % 12000);
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool free = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(fd);
        if (free) return port;
    }
    return 0;
}

// A connected socket with a GET for path sent; -1 on failure.
int requestGet(int port, const std::string& path, int timeoutSeconds) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{timeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size()))
        return fd;
    close(fd);
    return -1;
}

std::string body(const std::string& answer) {
    const size_t at = answer.find("\r\n\r\n");
    return at == std::string::npos ? "" : answer.substr(at + 4);
}

// The body of a plain HTTP GET on 127.0.0.1, empty on failure.
std::string HttpGet(int port, const std::string& path) {
    const int fd = requestGet(port, path, 5);
    std::string answer;
    char buf[4096];
    for (ssize_t n; fd >= 0 && (n = recv(fd, buf, sizeof buf, 0)) > 0;) answer.append(buf, size_t(n));
    if (fd >= 0) close(fd);
    return body(answer);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, double seconds) {
    QDeadlineTimer deadline(qint64(seconds * 1000));
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return true;
}

StreamCapture::StreamCapture(int port, const std::string& mount) {
    const int fd = requestGet(port, mount, 1);
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

StreamCapture::~StreamCapture() {
    finish();
}

std::string StreamCapture::finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return body(bytes_);
}

IcecastServer::IcecastServer() : port_(freePort()) {
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

IcecastServer::~IcecastServer() {
    stop();
}

bool IcecastServer::start() {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral("icecast2"),
                   {QStringLiteral("-c"), dir_.path() + QStringLiteral("/icecast.xml")});
    if (!process_.waitForStarted(10000)) return false;
    return WaitUntil([this] { return !HttpGet(port_, "/status-json.xsl").empty(); }, 15);
}

void IcecastServer::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) process_.kill();
    process_.waitForFinished(5000);
}

QJsonObject IcecastServer::mountStatus(const std::string& mount) const {
    const QJsonObject stats =
        QJsonDocument::fromJson(QByteArray::fromStdString(HttpGet(port_, "/status-json.xsl")))["icestats"]
            .toObject();
    // One source comes as an object, several as an array.
    const QJsonValue sources = stats["source"];
    for (const QJsonValue& s : sources.isArray() ? sources.toArray() : QJsonArray{sources})
        if (s["listenurl"].toString().endsWith(QString::fromStdString(mount))) return s.toObject();
    return {};
}

QString IcecastServer::log(const char* name) const {
    QFile f(dir_.path() + QLatin1Char('/') + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
