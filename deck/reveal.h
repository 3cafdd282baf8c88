#pragma once

#include <QByteArrayView>

#include <optional>

#include "deck/poemtable.h"
#include "deck/spoken.h"

// One reading shown tick by tick, as the game, the match and the voice all
// time it: one Shift-JIS byte of the upper verse per tick, then the lower
// verse's first bytes, then the time-out.
namespace deck {

constexpr int kTickMs = 150;        // between two ticks of a reading
constexpr int kKaminokuTicks = 40;  // one byte of the upper verse per tick
constexpr int kShimonokuTicks = 32; // then the lower verse's first 32 bytes
constexpr int kRevealTicks = kKaminokuTicks + kShimonokuTicks;
constexpr int kTimeOutTick = kRevealTicks + 1;

// The values are written to the clip index: keep them.
enum class Half { Kami = 1, Shimo = 2 };

// The tick that shows a half's first byte.
constexpr int firstTick(Half half) { return half == Half::Kami ? 1 : kKaminokuTicks + 1; }

// The tick of a reading of poem `no` that reveals the last spelled kana of
// its deciding syllables by sound, the poems in `read` having been read
// before it: even, as a kana takes two ticks, and at most kKaminokuTicks.
// `no` must not be in `read`.
int decidedTick(PoemNo no, const ReadSet &read);

struct RevealStep {
    enum class Kind {
        None,      // no reading running: nothing happens
        Kaminoku,  // `byte` of the upper verse is shown
        Shimonoku, // `byte` of the lower verse is shown
        TimeOut,   // the reading ran out; later ticks do nothing
    };
    Kind kind = Kind::None;
    bool hasByte = false; // false only past the end of a short verse
    char byte = 0;
    bool beep = false;
    bool decided = false;    // this tick completes the deciding syllables
    bool startsHalf = false; // the first tick of its half: its reading aloud starts

    // The half a Kaminoku or Shimonoku step shows.
    Half half() const { return kind == Kind::Shimonoku ? Half::Shimo : Half::Kami; }
};

class Reveal {
public:
    // No reading: every tick does nothing.
    Reveal() = default;
    // Verses longer than their ticks are cut; `decidedTick` 0 marks no tick.
    Reveal(QByteArrayView kaminoku, QByteArrayView shimonoku, int decidedTick);
    // Poem `no` of `table`, decided against the poems in `read`.
    static Reveal ofPoem(const PoemTableData &table, PoemNo no, const ReadSet &read);

    RevealStep tick();
    void stop() { running_ = false; }

    bool running() const { return running_; }
    int ticks() const { return ticks_; }
    int decidedTick() const { return decidedTick_; }
    // The bytes of `half` shown after the ticks so far.
    QByteArrayView shown(Half half) const;
    // The tick that shows byte `index` of `half`; nullopt for a byte the
    // reading never shows.
    std::optional<int> tickOfByte(Half half, int index) const;
    // The tick that shows the first byte of character `index` of `half`
    // (double-byte characters counted as one).
    std::optional<int> tickOfChar(Half half, int index) const;

private:
    QByteArrayView bytesOf(Half half) const;

    PoemString kaminoku_;
    PoemString shimonoku_;
    int decidedTick_ = 0;
    int ticks_ = 0;
    bool running_ = false;
};

} // namespace deck
