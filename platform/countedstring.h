#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "sjis.h"

namespace platform {

// A length byte followed by a fixed capacity of Shift-JIS bytes. The layout is
// byte for byte the one stored in the records files, so it must stay packed.
template <std::size_t Capacity>
struct CountedString {
    static_assert(Capacity <= 255, "the length lives in one byte");
    static constexpr std::size_t capacity = Capacity;

    std::uint8_t length = 0;
    std::array<char, Capacity> bytes{};

    CountedString() = default;

    // Keeps the leading bytes that fit, even when that splits a character.
    explicit CountedString(QByteArrayView src) { assign(src); }

    template <std::size_t Other>
    CountedString(const CountedString<Other> &other) { assign(other.view()); }

    template <std::size_t Other>
    CountedString &operator=(const CountedString<Other> &other)
    {
        assign(other.view());
        return *this;
    }

    void assign(QByteArrayView src)
    {
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(src.size()), Capacity);
        if (n > 0) // an empty view may have no data pointer at all
            std::memcpy(bytes.data(), src.data(), n);
        length = static_cast<std::uint8_t>(n);
    }

    // The significant bytes; a length byte beyond the capacity (a damaged
    // source) is clamped so that nothing past the field is ever read.
    QByteArrayView view() const
    {
        return QByteArrayView(bytes.data(), std::min<std::size_t>(length, Capacity));
    }
    QByteArray toByteArray() const { return view().toByteArray(); }
    QString text() const { return sjis::decode(view()); }
    bool isEmpty() const { return length == 0; }
    bool lengthValid() const { return length <= Capacity; }

    template <std::size_t Other>
    bool operator==(const CountedString<Other> &other) const { return view() == other.view(); }
};

} // namespace platform
