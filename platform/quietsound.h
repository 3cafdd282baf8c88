#pragma once

#include <memory>

#include <QString>

#include "services.h"

namespace platform {

// A wave that cannot be opened or played leaves a window silent, never
// stuck: each failure is logged and the window goes on without the sound.

// A player of `services` for `fileName`, or null when there is no sound (no
// player factory, the file will not open, or the player throws).
std::unique_ptr<WavePlayer> openQuietly(const Services &services, const QString &fileName);
void playQuietly(WavePlayer *player); // null plays nothing
void closeQuietly(std::unique_ptr<WavePlayer> &player); // leaves it null

} // namespace platform
