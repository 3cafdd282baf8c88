#include "sjis.h"

#include <unicode/ucnv.h>

#include <memory>
#include <stdexcept>

namespace platform::sjis {
namespace {

struct ConverterCloser {
    void operator()(UConverter *c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per thread: ICU converters carry state and are not shareable.
UConverter *converter()
{
    thread_local Converter cnv = [] {
        UErrorCode err = U_ZERO_ERROR;
        Converter c(ucnv_open("windows-31j", &err));
        if (U_FAILURE(err) || !c)
            throw std::runtime_error("ICU has no windows-31j converter");
        err = U_ZERO_ERROR;
        ucnv_setSubstChars(c.get(), "?", 1, &err);
        return c;
    }();
    ucnv_reset(cnv.get());
    return cnv.get();
}

char16_t cp932LookAlike(char16_t c)
{
    switch (c) {
    case 0x301C: return 0xFF5E; // WAVE DASH -> FULLWIDTH TILDE
    case 0x2212: return 0xFF0D; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case 0x2016: return 0x2225; // DOUBLE VERTICAL LINE -> PARALLEL TO
    case 0x00A2: return 0xFFE0;
    case 0x00A3: return 0xFFE1;
    case 0x00AC: return 0xFFE2;
    case 0x2014: return 0x2015; // EM DASH -> HORIZONTAL BAR
    default: return c;
    }
}

} // namespace

qsizetype completePrefixLength(QByteArrayView bytes)
{
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (isLeadByte(b)) {
            if (i + 1 >= n)
                break;
            i += 2;
        } else {
            i += 1;
        }
    }
    return i;
}

QString decode(QByteArrayView bytes)
{
    const qsizetype n = completePrefixLength(bytes);
    if (n == 0)
        return {};
    QString out(n, Qt::Uninitialized); // never more UTF-16 units than bytes
    UErrorCode err = U_ZERO_ERROR;
    const int32_t len = ucnv_toUChars(converter(), reinterpret_cast<UChar *>(out.data()),
                                      static_cast<int32_t>(out.size()), bytes.data(),
                                      static_cast<int32_t>(n), &err);
    if (U_FAILURE(err))
        return {};
    out.truncate(len);
    return out;
}

QByteArray encode(const QString &text)
{
    if (text.isEmpty())
        return {};
    std::u16string mapped;
    mapped.reserve(text.size());
    for (QChar c : text)
        mapped.push_back(cp932LookAlike(c.unicode()));

    UConverter *cnv = converter();
    QByteArray out(text.size() * 2 + 2, Qt::Uninitialized);
    UErrorCode err = U_ZERO_ERROR;
    const int32_t len = ucnv_fromUChars(cnv, out.data(), static_cast<int32_t>(out.size()),
                                        reinterpret_cast<const UChar *>(mapped.data()),
                                        static_cast<int32_t>(mapped.size()), &err);
    if (U_FAILURE(err))
        return {};
    out.truncate(len);
    return out;
}

QByteArray truncated(QByteArrayView bytes, qsizetype maxBytes)
{
    return bytes.first(completePrefixLength(bytes.first(std::min(maxBytes, bytes.size())))).toByteArray();
}

} // namespace platform::sjis
