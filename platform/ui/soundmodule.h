#pragma once

// Qt Multimedia, with the sound server client and the codecs it brings, is
// kept out of the program file: the sound module (soundmodule.cpp) holds it
// and is loaded at the first sound, after the menu is on screen. These are
// the two functions it exports.

namespace platform {
class WavePlayer;
}

namespace platform::ui::soundmodule {

inline constexpr char FileName[] = "kotoha_sound";
// Raised whenever a function below or WavePlayer changes.
inline constexpr int Version = 1;

// A new player; the caller owns it.
inline constexpr char NewWavePlayer[] = "kotohaNewWavePlayer";
using NewWavePlayerFunction = WavePlayer *(*)();

inline constexpr char HasAudioOutput[] = "kotohaHasAudioOutput";
using HasAudioOutputFunction = bool (*)();

} // namespace platform::ui::soundmodule
