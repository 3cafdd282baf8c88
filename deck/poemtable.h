#pragma once

#include <array>

#include "platform/countedstring.h"

namespace deck {

using PoemString = platform::CountedString<40>;
using PoemNo = int;
constexpr int kPoemCount = 100;

// The four texts of one poem, always copied in this column order. Working
// copies with a smaller capacity keep the leading bytes of each text.
template <std::size_t Capacity>
struct BasicPoemEntry {
    platform::CountedString<Capacity> Kaminoku;
    platform::CountedString<Capacity> Shimonoku;
    platform::CountedString<Capacity> Kimariji;
    platform::CountedString<Capacity> ShimoKimariji;

    BasicPoemEntry() = default;
    template <std::size_t Other>
    BasicPoemEntry(const BasicPoemEntry<Other> &o)
        : Kaminoku(o.Kaminoku), Shimonoku(o.Shimonoku), Kimariji(o.Kimariji), ShimoKimariji(o.ShimoKimariji)
    {
    }
    template <std::size_t Other>
    BasicPoemEntry &operator=(const BasicPoemEntry<Other> &o)
    {
        Kaminoku = o.Kaminoku;
        Shimonoku = o.Shimonoku;
        Kimariji = o.Kimariji;
        ShimoKimariji = o.ShimoKimariji;
        return *this;
    }
    bool operator==(const BasicPoemEntry &) const = default;
};

using PoemEntry = BasicPoemEntry<40>;

// The hundred poems, rows 1 .. 100 in the standard order. Filled once at
// start by the main window and read-only afterwards.
class PoemTableData {
public:
    void fill();
    bool isFilled() const { return filled_; }
    const PoemEntry &operator[](PoemNo no) const;
    // The number of the row an entry copies, found by its upper verse; 0 for
    // none (or before the table is filled).
    PoemNo numberOf(const PoemEntry &entry) const;

private:
    std::array<PoemEntry, kPoemCount + 1> rows_{}; // row 0 is never used
    bool filled_ = false;
};

extern PoemTableData PoemTable;

namespace detail {
struct PoemSource {
    const char *kaminoku;
    const char *shimonoku;
    const char *kimariji;
    const char *shimoKimariji;
};
extern const PoemSource kPoemSource[kPoemCount];
} // namespace detail

} // namespace deck
