#include "soundmodule.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>
#include <type_traits>

#include "platform/services.h"
#include "platform/wavefile.h"
#include "platform/ui/modules.h"

namespace {

// Each play() opens a sink of its own and writes what it takes at once, so
// the server starts the sound on that write; QSoundEffect's sink waited for
// its first pull (20 ms) and filled its buffer in steps, late by 35 to 65 ms
// on a PulseAudio server where the voice must start on its tick. The rest is
// written from a timer as the sink frees room. play() waits only for the
// server to take the stream; with no audio device it stays silent.
class StreamPlayer final : public platform::WavePlayer {
public:
    StreamPlayer()
    {
        feeder_.setTimerType(Qt::PreciseTimer);
        feeder_.setInterval(kFeedMs);
        QObject::connect(&feeder_, &QTimer::timeout, &feeder_, [this] { feed(); });
    }
    ~StreamPlayer() override { close(); }

    bool open(const QString &fileName) override
    {
        close();
        const QFileInfo info(QDir::current().absoluteFilePath(fileName));
        QFile file(info.absoluteFilePath());
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) // a FIFO would block
            return false;
        std::optional<platform::WaveData> wave = platform::readWave(file.readAll());
        if (!wave || wave->pcm.isEmpty())
            return false;
        format_.setChannelCount(wave->channels);
        format_.setSampleRate(wave->sampleRate);
        format_.setSampleFormat(wave->bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
        pcm_ = wave->pcm;
        return true;
    }

    void play() override
    {
        if (pcm_.isEmpty())
            return;
        stopSink(); // a new cue always starts from the beginning
        sink_ = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), format_);
        sink_->setBufferSize(format_.bytesForDuration(kBufferUs));
        io_ = sink_->start();
        if (!io_) {
            sink_.reset();
            return;
        }
        written_ = 0;
        feed();
        if (written_ < pcm_.size())
            feeder_.start();
    }

    void close() override
    {
        stopSink();
        pcm_.clear();
    }

private:
    static constexpr qint64 kBufferUs = 150'000;
    static constexpr int kFeedMs = 10;

    void feed()
    {
        if (sink_->state() == QAudio::StoppedState) { // the device went away
            stopSink();
            return;
        }
        const qint64 room = std::min<qint64>(sink_->bytesFree(), pcm_.size() - written_);
        if (room > 0)
            written_ += std::max<qint64>(0, io_->write(pcm_.constData() + written_, room));
        if (written_ >= pcm_.size())
            feeder_.stop(); // the sink plays out what it holds
    }

    void stopSink()
    {
        feeder_.stop();
        if (sink_)
            sink_->stop();
        sink_.reset();
        io_ = nullptr;
    }

    QAudioFormat format_;
    QByteArray pcm_;
    qint64 written_ = 0;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice *io_ = nullptr; // owned by sink_
    QTimer feeder_;
};

} // namespace

KOTOHA_MODULE_VERSION(platform::ui::soundmodule::Version)

extern "C" Q_DECL_EXPORT platform::WavePlayer *kotohaNewWavePlayer()
{
    return new StreamPlayer;
}

extern "C" Q_DECL_EXPORT bool kotohaHasAudioOutput()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

// The loader calls them through these types.
static_assert(std::is_same_v<decltype(&kotohaNewWavePlayer), platform::ui::soundmodule::NewWavePlayerFunction>);
static_assert(std::is_same_v<decltype(&kotohaHasAudioOutput), platform::ui::soundmodule::HasAudioOutputFunction>);
