#pragma once

namespace deck {
class PoemTableData;
}
namespace history {
class Recorder;
}
namespace platform {
class Random;
struct Services;
}
namespace voice {
struct Options;
}

namespace play {

// What a play window (the game, the quiz, the match) plays with, handed in by
// the shell; all of it outlives the window. Only named here, so this layer
// links none of them.
struct PlayNeeds {
    platform::Services &services;
    platform::Random &rng;
    history::Recorder &recorder;
    voice::Options &voice;
    const deck::PoemTableData &poems;
};

} // namespace play
