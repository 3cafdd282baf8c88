// A wave file in the program's folder is read whole: whatever its chunks
// claim, the samples come from inside the file and are whole frames.
#include <cstddef>
#include <cstdint>

#include "platform/wavefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<platform::WaveData> wave = platform::readWave(bytes);
    if (!wave)
        return 0;
    if (wave->bytesPerFrame() <= 0 || wave->pcm.size() % wave->bytesPerFrame() != 0)
        __builtin_trap();
    if (wave->pcm.size() > bytes.size() - 44 || !bytes.contains(QByteArrayView(wave->pcm)))
        __builtin_trap();
    return 0;
}
