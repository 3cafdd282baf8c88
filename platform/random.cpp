#include "random.h"

#include "services.h"

#include <QTime>

namespace platform {

void Random::reseed(const QTime &t)
{
    state = static_cast<std::uint32_t>(((t.hour() * 60 + t.minute()) * 60 + t.second()) * 1000 + t.msec());
}

void Random::reseed()
{
    reseed(services().clock->utcTimeOfDay());
}

Random &rng()
{
    static Random instance;
    return instance;
}

} // namespace platform
