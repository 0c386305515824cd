#pragma once
// The broadcast's settings, kept per user. The source password goes into the
// desktop's secret store when there is one; without one it is kept in the
// per-user settings file, and that file is made readable by its owner only.
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "audio/broadcast/BroadcastConfig.h"

class SecretStore {
  public:
    virtual ~SecretStore() = default;
    // False when there is no store to keep it in.
    virtual bool write(const QString& key, const QString& secret) = 0;
    // Nothing when the store has no such secret or there is no store.
    virtual std::optional<QString> read(const QString& key) = 0;
    virtual void remove(const QString& key) = 0;
};

// The desktop's store (through QtKeychain), or what a test installed.
std::unique_ptr<SecretStore> MakeSecretStore();
// Replaces the store's maker; an empty function restores the desktop's.
void SetSecretStoreFactory(std::function<std::unique_ptr<SecretStore>()> factory);

namespace BroadcastSettings {

audio::BroadcastConfig Load(SecretStore& secrets);
// Stores every field; true when the password went to the secret store.
bool Save(const audio::BroadcastConfig& config, SecretStore& secrets);
// Whether the last save had to keep the password in the settings file.
bool PasswordInFile();

}  // namespace BroadcastSettings
