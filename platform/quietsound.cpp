#include "quietsound.h"

#include <QtDebug>

#include <exception>

namespace platform {

std::unique_ptr<WavePlayer> openQuietly(const Services &services, const QString &fileName)
{
    if (!services.makeWavePlayer)
        return nullptr;
    try {
        std::unique_ptr<WavePlayer> player = services.makeWavePlayer();
        if (player && player->open(fileName))
            return player;
        qWarning("sound: cannot open %s, playing without it", qUtf8Printable(fileName));
    } catch (const std::exception &e) {
        qWarning("sound: %s", e.what());
    }
    return nullptr;
}

void playQuietly(WavePlayer *player)
{
    if (!player)
        return;
    try {
        player->play();
    } catch (const std::exception &e) {
        qWarning("sound: %s", e.what());
    }
}

void closeQuietly(std::unique_ptr<WavePlayer> &player)
{
    if (!player)
        return;
    try {
        player->close();
    } catch (const std::exception &e) {
        qWarning("sound: %s", e.what());
    }
    player.reset();
}

} // namespace platform
