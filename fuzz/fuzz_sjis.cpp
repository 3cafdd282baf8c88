// Decoding arbitrary bytes must never read past them, and whatever decodes
// must survive a round trip through the encoder without growing.
#include <cstddef>
#include <cstdint>

#include "platform/countedstring.h"
#include "platform/sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = platform::sjis::decode(bytes);
    const QByteArray again = platform::sjis::encode(text);
    if (text.size() > bytes.size())
        __builtin_trap();
    if (platform::sjis::decode(again).size() != text.size())
        __builtin_trap();
    const QByteArray cut = platform::sjis::truncated(bytes, 20);
    if (cut.size() > 20 || platform::sjis::completePrefixLength(cut) != cut.size())
        __builtin_trap();
    platform::CountedString<20> field(bytes);
    (void)field.text();
    return 0;
}
