#include "soundmodule.h"

#include <QAudioDevice>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <memory>
#include <type_traits>

#include "platform/services.h"
#include "platform/ui/modules.h"

namespace {

// QSoundEffect plays on its own thread and never blocks the caller; with no
// audio device it stays silent. Nothing may wait for a sound to end.
class SoundEffectPlayer final : public platform::WavePlayer {
public:
    bool open(const QString &fileName) override
    {
        close();
        const QFileInfo file(QDir::current().absoluteFilePath(fileName));
        if (!file.isFile() || !file.isReadable())
            return false;
        effect_ = std::make_unique<QSoundEffect>();
        effect_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
        return effect_->status() != QSoundEffect::Error;
    }

    void play() override
    {
        if (!effect_ || effect_->status() == QSoundEffect::Error)
            return;
        effect_->stop(); // a new cue always starts from the beginning
        effect_->play();
    }

    void close() override { effect_.reset(); }

private:
    std::unique_ptr<QSoundEffect> effect_;
};

} // namespace

KOTOHA_MODULE_VERSION(platform::ui::soundmodule::Version)

extern "C" Q_DECL_EXPORT platform::WavePlayer *kotohaNewWavePlayer()
{
    return new SoundEffectPlayer;
}

extern "C" Q_DECL_EXPORT bool kotohaHasAudioOutput()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

// The loader calls them through these types.
static_assert(std::is_same_v<decltype(&kotohaNewWavePlayer), platform::ui::soundmodule::NewWavePlayerFunction>);
static_assert(std::is_same_v<decltype(&kotohaHasAudioOutput), platform::ui::soundmodule::HasAudioOutputFunction>);
