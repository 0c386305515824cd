#pragma once
// A real Icecast server for a test: icecast2 on 127.0.0.1 at a free port,
// configured in a temporary folder, started and stopped by the test. Under
// root the server insists on dropping privileges, so the folder is opened to
// the account it changes to.
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

class IcecastServer {
  public:
    static constexpr const char* kPassword = "on-air-test";

    IcecastServer();
    ~IcecastServer();

    // Starts the server (again, at the same port) and waits until it answers.
    bool start();
    void stop();
    int port() const { return port_; }

    // The server's own view of a mount (status-json), empty when unknown.
    QJsonObject mountStatus(const std::string& mount) const;
    // One of the server's logs so far ("error.log", "access.log").
    QString log(const char* name = "error.log") const;

  private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

// A listener: reads a mount's raw stream bytes on a thread of its own until
// stopped, so the test can keep the show going meanwhile.
class StreamCapture {
  public:
    StreamCapture(int port, const std::string& mount);
    ~StreamCapture();
    // Stops listening; returns the body received (no HTTP headers).
    std::string finish();

  private:
    std::atomic<bool> stop_{false};
    std::string bytes_;
    std::thread thread_;
};

// Polls until done() holds or `seconds` have passed; for states a real
// server reaches in its own time.
bool WaitUntil(const std::function<bool()>& done, double seconds);
