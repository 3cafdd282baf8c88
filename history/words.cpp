#include "words.h"

#include <iterator>

namespace history {
namespace {

// Indexed by the enum's value.
constexpr const char *kModeWords[] = {"game-S", "game-M", "game-L", "training", "match", "nagashi", "position"};
constexpr const char *kOutcomeWords[] = {"right", "wrong", "timeout", "opponent", "missed", "dead"};
constexpr const char *kDecidingWords[] = {"spelled", "spoken"};
constexpr const char *kExtraWords[] = {"taker",       "level",         "decided_tick", "player_fault", "opponent_fault",
                                       "player_sent", "opponent_sent", "lies",         "clicked",      "answer"};

static_assert(std::size(kModeWords) == std::size_t(Mode::Position) + 1);
static_assert(std::size(kOutcomeWords) == std::size_t(Outcome::Dead) + 1);
static_assert(std::size(kDecidingWords) == std::size_t(Deciding::Spoken) + 1);
static_assert(std::size(kExtraWords) == std::size_t(Extra::Answer) + 1);

template <typename E, std::size_t N>
std::optional<E> find(const char *const (&words)[N], QStringView word)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (word == QLatin1String(words[i]))
            return E(i);
    }
    return std::nullopt;
}

} // namespace

QString word(Mode mode)
{
    return QLatin1String(kModeWords[static_cast<std::size_t>(mode)]);
}

QString word(Outcome outcome)
{
    return QLatin1String(kOutcomeWords[static_cast<std::size_t>(outcome)]);
}

QString word(Deciding deciding)
{
    return QLatin1String(kDecidingWords[static_cast<std::size_t>(deciding)]);
}

QString word(Extra key)
{
    return QLatin1String(kExtraWords[static_cast<std::size_t>(key)]);
}

std::optional<Mode> modeFromWord(QStringView word)
{
    return find<Mode>(kModeWords, word);
}

std::optional<Outcome> outcomeFromWord(QStringView word)
{
    return find<Outcome>(kOutcomeWords, word);
}

} // namespace history
