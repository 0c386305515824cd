#include "app/decks/BroadcastSettings.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "app/Options.h"

namespace {

constexpr const char* kService = "Velumix broadcast";
constexpr const char* kKey = "source password";
// A desktop store that does not answer by then is taken to be absent.
constexpr int kStoreTimeoutMs = 5000;

// Runs a keychain job to its end; false when it failed or did not finish.
bool finish(QKeychain::Job* job) {
    QEventLoop loop;
    bool ok = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* j) {
        ok = j->error() == QKeychain::NoError;
        loop.quit();
    });
    QTimer::singleShot(kStoreTimeoutMs, &loop, &QEventLoop::quit);
    job->setAutoDelete(false);
    job->start();
    loop.exec();
    return ok;
}

class Keychain : public SecretStore {
  public:
    bool write(const QString& key, const QString& secret) override {
        QKeychain::WritePasswordJob job{QLatin1String(kService)};
        job.setKey(key);
        job.setTextData(secret);
        return finish(&job);
    }
    std::optional<QString> read(const QString& key) override {
        QKeychain::ReadPasswordJob job{QLatin1String(kService)};
        job.setKey(key);
        if (!finish(&job)) return std::nullopt;
        return job.textData();
    }
    void remove(const QString& key) override {
        QKeychain::DeletePasswordJob job{QLatin1String(kService)};
        job.setKey(key);
        finish(&job);
    }
};

struct Field {
    const char* key;
    std::string audio::BroadcastConfig::*text;
};
const Field kTexts[] = {
    {"broadcast/host", &audio::BroadcastConfig::host},
    {"broadcast/mount", &audio::BroadcastConfig::mount},
    {"broadcast/user", &audio::BroadcastConfig::user},
    {"broadcast/name", &audio::BroadcastConfig::name},
    {"broadcast/genre", &audio::BroadcastConfig::genre},
    {"broadcast/description", &audio::BroadcastConfig::description},
};
constexpr const char* kPort = "broadcast/port";
constexpr const char* kFormat = "broadcast/format";
constexpr const char* kKbps = "broadcast/kbps";
constexpr const char* kPublic = "broadcast/public";
constexpr const char* kFilePassword = "broadcast/password";
constexpr const char* kPasswordInFile = "broadcast/passwordInFile";

void ownerOnly() {
    QFile file(Options::File());
    if (!file.exists()) file.open(QIODevice::WriteOnly);
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

int number(const char* key, int otherwise) {
    bool ok = false;
    const int n = Options::Text(key).toInt(&ok);
    return ok ? n : otherwise;
}

}  // namespace

std::function<std::unique_ptr<SecretStore>()>& factory() {
    static std::function<std::unique_ptr<SecretStore>()> f;
    return f;
}

std::unique_ptr<SecretStore> MakeSecretStore() {
    return factory() ? factory()() : std::make_unique<Keychain>();
}

void SetSecretStoreFactory(std::function<std::unique_ptr<SecretStore>()> f) {
    factory() = std::move(f);
}

namespace BroadcastSettings {

audio::BroadcastConfig Load(SecretStore& secrets) {
    audio::BroadcastConfig c;
    for (const Field& f : kTexts)
        if (const QString v = Options::Text(f.key); !v.isEmpty()) c.*f.text = v.toStdString();
    c.port = number(kPort, c.port);
    c.kbps = number(kKbps, c.kbps);
    c.format = audio::StreamFormat(number(kFormat, int(c.format)));
    c.isPublic = Options::Text(kPublic) == QLatin1String("1");
    const std::optional<QString> stored = PasswordInFile() ? std::nullopt : secrets.read(QLatin1String(kKey));
    c.password = (stored ? *stored : Options::Text(kFilePassword)).toStdString();
    return c;
}

bool Save(const audio::BroadcastConfig& c, SecretStore& secrets) {
    for (const Field& f : kTexts) Options::SetText(f.key, QString::fromStdString(c.*f.text));
    Options::SetText(kPort, QString::number(c.port));
    Options::SetText(kKbps, QString::number(c.kbps));
    Options::SetText(kFormat, QString::number(int(c.format)));
    Options::SetText(kPublic, c.isPublic ? QStringLiteral("1") : QStringLiteral("0"));
    const QString password = QString::fromStdString(c.password);
    const bool inStore = secrets.write(QLatin1String(kKey), password);
    // The file is closed to others before the password is in it, and again
    // after, should the settings' rewrite have made a new file.
    if (!inStore) ownerOnly();
    Options::SetText(kFilePassword, inStore ? QString() : password);  // no copy beside the store
    Options::SetText(kPasswordInFile, inStore ? QStringLiteral("0") : QStringLiteral("1"));
    if (!inStore) ownerOnly();
    return inStore;
}

bool PasswordInFile() {
    return Options::Text(kPasswordInFile) == QLatin1String("1");
}

}  // namespace BroadcastSettings
