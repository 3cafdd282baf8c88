#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace platform {

// The samples of a PCM wave file, as a sound device takes them.
struct WaveData {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0; // 8 (unsigned) or 16 (signed, little-endian)
    QByteArray pcm;        // whole frames only
    int bytesPerFrame() const { return channels * bitsPerSample / 8; }
};

// A RIFF/WAVE file of uncompressed PCM, mono or stereo, 8 or 16 bits: its
// "fmt " chunk, then its "data" chunk, other chunks skipped. Nothing for
// anything else, a chunk that runs past the end included.
std::optional<WaveData> readWave(QByteArrayView file);

} // namespace platform
