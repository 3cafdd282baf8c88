// The opponent's strength against simulated players: whole matches through
// the match's rules, no window. Prints its figures.
//
//   bench_opponent [matches]   matches per cell (default 200)
//
// The table gives the player's share of wins (a draw counts half) against
// every tenth level (levels past one all won or all lost are not played);
// then, per player, the widest step in that share between two neighbouring
// levels, the mean step from 75 % down to 25 %, the even level (the first
// won at most half the time), and the level the advice picks after ten
// matches played as it advises (from the takes those matches left, as the
// history keeps them) with the share won there.

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "deck/poemtable.h"
#include "match/calibration.h"
#include "match/opponent.h"
#include "match/simulation.h"

using namespace match;

namespace {

constexpr double kPlayersMs[] = {300, 400, 600, 800, 1100, 1500, 2200, 3000, 4000};
constexpr int kColumnStep = 10;
constexpr int kAdvisedMatches = 20;

// Follows the advice for a run of matches from the middle level and
// returns the level advised after the last one.
int advisedLevel(const SimPlayer &player, platform::Random &rng)
{
    QList<qint64> history;
    int level = levelNearest(800);
    for (int i = 0; i < kAdvisedMatches; ++i) {
        history += simulateMatch(player, level, rng).takesMs;
        level = adviseLevel(history, level);
    }
    return level;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    deck::PoemTable.fill();
    const int matches = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    platform::Random rng{20261208u};

    std::printf("wins %% of %d matches; player: median reaction after the deciding moment,\n"
                "log spread 0.35, 2 %% faults a reading\n\nplayer  ",
                matches);
    for (int n = 1; n <= kLevels; n += kColumnStep)
        std::printf("%5d", n);
    std::printf("   widest  mean step  even  ratio   advised         wins\nlevel ms");
    for (int n = 1; n <= kLevels; n += kColumnStep)
        std::printf("%5lld", static_cast<long long>(levelMedianMs(n)));
    std::printf("\n");

    int inGoal = 0;
    for (double ms : kPlayersMs) {
        const SimPlayer player{ms, 0.35, 20};
        // The even level by halving, then outwards until a level is all won
        // below it or all lost above it; levels beyond are taken as such.
        std::vector<double> share(kLevels + 2, -1.0);
        const auto at = [&](int n) {
            if (share[n] < 0)
                share[n] = winShare(player, n, matches, rng);
            return share[n];
        };
        int lo = 1, hi = kLevels;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (at(mid) > 0.5)
                lo = mid + 1;
            else
                hi = mid;
        }
        const int even = lo;
        int first = even, last = even;
        while (first > 1 && at(first) < 1.0)
            --first;
        while (last < kLevels && at(last) > 0.0)
            ++last;
        for (int n = 1; n <= kLevels; ++n)
            if (n < first || n > last)
                share[n] = n < first ? 1.0 : 0.0;
        double widest = 0;
        int top = 0, bottom = 0; // the last level won at 75 % or more, the first at 25 % or less
        for (int n = first; n <= last; ++n) {
            at(n);
            if (n > first)
                widest = std::max(widest, std::abs(share[n] - share[n - 1]));
            if (share[n] >= 0.75)
                top = n;
            if (share[n] <= 0.25 && !bottom)
                bottom = n;
        }
        const double meanStep = bottom > top ? 0.5 / (bottom - top) : 1.0;
        std::printf("%6.0f  ", ms);
        for (int n = 1; n <= kLevels; n += kColumnStep)
            std::printf("%5.0f", 100 * std::max(share[n], 0.0));
        // How the even level's median stands to the median of the player's
        // takes there: the ratio the advice assumes.
        QList<qint64> takes;
        for (int i = 0; i < matches; ++i)
            takes += simulateMatch(player, even, rng).takesMs;
        const std::optional<qint64> taken = median(takes);
        const double ratio = taken ? double(levelMedianMs(even)) / double(*taken) : 0.0;
        const int advised = advisedLevel(player, rng);
        const double wins = winShare(player, advised, matches, rng);
        inGoal += wins >= 0.35 && wins <= 0.65;
        std::printf("   %4.0f %% %4.0f %%  %4d  %5.2f  %4d (%4lld ms) %4.0f %%\n", 100 * widest, 100 * meanStep, even, ratio, advised,
                    static_cast<long long>(levelMedianMs(advised)), 100 * wins);
    }
    std::printf("\nadvised level within 35..65 %% wins: %d of %d players\n", inGoal,
                int(std::size(kPlayersMs)));
    return 0;
}
