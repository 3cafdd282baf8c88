#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text crosses between the program's Shift-JIS bytes (code page 932) and
// Qt's UTF-16 only here.
namespace platform::sjis {

// True for the first byte of a double-byte character.
constexpr bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length of the longest prefix of `bytes` that ends on a character boundary.
qsizetype completePrefixLength(QByteArrayView bytes);

// Decodes complete characters only: a trailing lone first byte is dropped.
QString decode(QByteArrayView bytes);

// Characters that code page 932 lacks become "?"; the usual input-method
// look-alikes (wave dash, minus sign ...) map to their code page 932 forms.
QByteArray encode(const QString &text);

// Cuts at most `maxBytes` leading bytes without splitting a character.
QByteArray truncated(QByteArrayView bytes, qsizetype maxBytes);

} // namespace platform::sjis
