#include "app/decks/DeckFactory.h"

namespace {

// Stands in until the engine's player lands: holds what it is told, plays nothing.
class SilentDeckPlayer : public DeckPlayer {
  public:
    bool SetFileName(const QString& f) override { return Open(f); }
    bool Open(const QString& f) override {
        file_ = f;
        return true;
    }
    QString FileName() const override { return file_; }
    QString LastError() const override { return {}; }
    void Play() override {}
    void Stop() override {}
    void Pause() override {}
    int Volume() const override { return volume_; }
    void SetVolume(int v) override { volume_ = v; }
    double CurrentPosition() const override { return 0; }
    void SetCurrentPosition(double) override {}
    double Duration() const override { return 0; }
    int PlayState() const override { return Stopped; }

  private:
    QString file_;
    int volume_ = 0;
};

DeckFactoryFn& factory() {
    static DeckFactoryFn f;
    return f;
}

}  // namespace

std::unique_ptr<DeckPlayer> MakeDeckPlayer(int deck) {
    if (factory()) return factory()(deck);
    return std::make_unique<SilentDeckPlayer>();
}

void SetDeckFactory(DeckFactoryFn f) {
    factory() = std::move(f);
}
