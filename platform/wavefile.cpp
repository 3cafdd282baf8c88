#include "wavefile.h"

#include <QtEndian>

namespace platform {

std::optional<WaveData> readWave(QByteArrayView file)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.sliced(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<WaveData> format;
    for (qsizetype at = 12; at <= file.size() - 8;) {
        const QByteArrayView id = file.sliced(at, 4);
        const qsizetype size = qFromLittleEndian<quint32>(file.data() + at + 4);
        const qsizetype body = at + 8;
        if (size > file.size() - body)
            return std::nullopt;
        if (id == "fmt ") {
            if (size < 16)
                return std::nullopt;
            const char *f = file.data() + body;
            WaveData w;
            w.channels = qFromLittleEndian<quint16>(f + 2);
            w.sampleRate = int(qFromLittleEndian<quint32>(f + 4));
            w.bitsPerSample = qFromLittleEndian<quint16>(f + 14);
            const bool pcm = qFromLittleEndian<quint16>(f) == 1;
            if (!pcm || w.channels < 1 || w.channels > 2 || w.sampleRate < 1000 || w.sampleRate > 192000 ||
                (w.bitsPerSample != 8 && w.bitsPerSample != 16))
                return std::nullopt;
            format = w;
        } else if (id == "data") {
            if (!format)
                return std::nullopt;
            format->pcm = file.sliced(body, size - size % format->bytesPerFrame()).toByteArray();
            return format;
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    return std::nullopt;
}

} // namespace platform
