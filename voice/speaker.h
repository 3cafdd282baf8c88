#pragma once

#include <QString>

#include <memory>

#include "deck/poemtable.h"
#include "voice/voicecore.h"

namespace platform {
struct Services;
class WavePlayer;
}

// Reading aloud in the program: where the clips are, whether they can be
// played here (and why not), the player's choices, and the playing itself.
namespace voice {

// The folder holding index.tsv and the clips: $KOTOHA_READINGS, then
// "readings" in the current folder, beside the program, and in the
// installed share/kotoha. Empty when none has a usable index.
QString clipFolder();

// Whether reading aloud can be offered through `services`; if not, a short
// reason for beside the option and a fuller one for its tooltip.
struct Status {
    bool usable = false;
    QString reason;
    QString detail;
};
Status status(const platform::Services &services);

// The player's choices; they hold for every window until the program ends.
struct Options {
    bool gameReading = false; // the game's "読み上げ"
    bool beepWhileReading = false; // the game's tick beep goes on under the voice
    bool listening = false;   // the quiz's "聞き取り"
    int gapMs = 1000;         // silence before the quiz's verse is spoken
};
Options &options();

// The mora times of one clip; nullptr when the folder lacks it.
const ClipTimes *clipTimes(int poem, Half half);

// Plays the two halves of one poem through the wave players of `services`,
// which outlive the reader. Each call returns at once; nothing waits for a
// clip to end.
class Reader {
public:
    explicit Reader(const platform::Services &services);
    ~Reader();
    // Opens both halves so that speaking starts without a load; false when
    // reading aloud is off here or a clip is missing. deck::kOpeningPoem
    // opens the opening poem's; poem() then stays 0.
    bool prepare(int poem);
    void speak(Half half);
    void stop();
    int poem() const { return poem_; }

private:
    const platform::Services &services_;
    int poem_ = 0;
    std::unique_ptr<platform::WavePlayer> kami_;
    std::unique_ptr<platform::WavePlayer> shimo_;
};

} // namespace voice
