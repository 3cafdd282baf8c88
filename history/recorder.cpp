#include "recorder.h"

#include <chrono>

namespace history {
namespace {

class Forgetful final : public Recorder {
public:
    void record(const Take &) override {}
    qint64 newSession(Mode) override { return 0; }
};

Forgetful forgetful;
Recorder *current = &forgetful;

} // namespace

Recorder &recorder()
{
    return *current;
}

Recorder *setRecorder(Recorder *r)
{
    Recorder *previous = current == &forgetful ? nullptr : current;
    current = r ? r : &forgetful;
    return previous;
}

} // namespace history
