// The broadcast window and its settings: what is stored where, and what
// the listeners are told is playing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <map>

#include "app/Options.h"
#include "app/decks/BroadcastSettings.h"
#include "app/decks/OnAir.h"
#include "support/TempApp.h"
#include "windows/frmBroadcast.h"

namespace {

// A desktop secret store, or (absent) none at all.
struct FakeStore : SecretStore {
    FakeStore(bool present, std::map<QString, QString>& kept) : present(present), kept(kept) {}
    bool write(const QString& key, const QString& secret) override {
        if (present) kept[key] = secret;
        return present;
    }
    std::optional<QString> read(const QString& key) override {
        if (!present || !kept.count(key)) return std::nullopt;
        return kept[key];
    }
    void remove(const QString& key) override { kept.erase(key); }
    bool present;
    std::map<QString, QString>& kept;
};

TEST(BroadcastSettings, ThePasswordGoesToTheSecretStoreElseToASettingsFileOnlyItsOwnerReads) {
    TempApp app;
    for (bool storeThere : {false, true}) {
        std::map<QString, QString> kept;
        SetSecretStoreFactory([&] { return std::make_unique<FakeStore>(storeThere, kept); });
        frmBroadcast& w = Windows::Load<frmBroadcast>();
        w.txtHost->setText("radio.example.org");
        w.txtPort->setValue(8010);
        w.txtMount->setText("night");  // a mount is a path: "/" is added
        w.txtPassword->setText("s3cret-" + QString::number(storeThere));
        w.cmbFormat->setCurrentIndex(1);
        w.txtName->setText("Late Night");
        w.chkPublic->setChecked(true);
        w.cmdConnect_Click();  // stores; without the engine's decks it cannot go on air
        EXPECT_EQ(w.lblStatus->text(), "Broadcasting needs the program's own decks.");
        const audio::BroadcastConfig saved = w.Fields();
        EXPECT_EQ(saved.mount, "/night");
        Windows::Unload<frmBroadcast>();

        const audio::BroadcastConfig back = BroadcastSettings::Load(*MakeSecretStore());
        EXPECT_EQ(
            std::tie(back.host, back.port, back.mount, back.password, back.format, back.name, back.isPublic),
            std::tie(saved.host, saved.port, saved.mount, saved.password, saved.format, saved.name,
                     saved.isPublic));
        QFile file(Options::File());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().contains(QByteArray::fromStdString(saved.password)), !storeThere);
        struct stat st {};
        ASSERT_EQ(stat(QFile::encodeName(Options::File()).constData(), &st), 0);
        if (!storeThere) {
            EXPECT_EQ(st.st_mode & 0777, 0600u);
        }
        // The window tells where the password is kept when it is in the file.
        EXPECT_EQ(Windows::Load<frmBroadcast>().lblPasswordKept->text().isEmpty(), storeThere);
        Windows::Unload<frmBroadcast>();
    }
    SetSecretStoreFactory({});
}

TEST(OnAirTitle, ArtistAndTitleWhenTheLibraryHasBothElseTheFileName) {
    TempApp app;
    const QString folder = app.path() + "/";
    const std::tuple<const char*, const char*, const char*> table[] = {
        {"Ann Artist", "First Tone", "Ann Artist - First Tone"},
        {"", "First Tone", "song.wav"},
        {"Ann Artist", "", "song.wav"},
    };
    app.addSong("song.wav", folder);
    for (auto [artist, title, shown] : table) {
        app.exec(QStringLiteral("UPDATE songs SET artist2='%1', title='%2'").arg(artist, title));
        EXPECT_EQ(OnAirTitle(folder + "song.wav"), shown) << artist << "/" << title;
    }
    EXPECT_EQ(OnAirTitle(folder + "unknown.wav"), "unknown.wav");
}

}  // namespace
