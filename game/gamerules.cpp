#include "gamerules.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace game {

void drawWithoutRepetition(Numbers &Kuji, int i, int m, platform::Random &rng)
{
    Q_ASSERT(i >= 1 && i <= kMaxFudaSu && m >= i);
    const auto earlier = Kuji.begin() + 1;
    const auto end = Kuji.begin() + i;
    for (;;) {
        const int drawn = rng.below(m) + 1;
        if (std::find(earlier, end, drawn) == end) {
            Kuji[static_cast<std::size_t>(i)] = drawn;
            return;
        }
    }
}

int compareKeys(QByteArrayView a, QByteArrayView b)
{
    const auto n = static_cast<std::size_t>(std::min(a.size(), b.size()));
    if (n > 0) {
        // memcmp compares as unsigned char, which is the order wanted.
        if (const int c = std::memcmp(a.data(), b.data(), n); c != 0)
            return c < 0 ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

namespace {
QByteArrayView keyOf(const deck::PoemEntry &e, SortKey key)
{
    return key == SortKey::Kaminoku ? e.Kaminoku.view() : e.Shimonoku.view();
}
} // namespace

void insertionSort(std::span<deck::PoemEntry> entries, SortKey key)
{
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const deck::PoemEntry moving = entries[i];
        std::size_t j = i;
        // Only strictly greater keys are passed, so equal keys keep their order.
        while (j > 0 && compareKeys(keyOf(entries[j - 1], key), keyOf(moving, key)) > 0) {
            entries[j] = entries[j - 1];
            --j;
        }
        entries[j] = moving;
    }
}

Game::Game(int fudaSu, int yomiSu)
    : fudaSu_(fudaSu), yomiSu_(yomiSu)
{
    Q_ASSERT(fudaSu >= 1 && fudaSu <= kMaxFudaSu && fudaSu <= deck::kPoemCount);
    Q_ASSERT(yomiSu >= 1 && yomiSu <= fudaSu);
}

void Game::deal(const deck::PoemTableData &table, platform::Random &rng)
{
    YomiNo = 0;
    for (int k = 1; k <= fudaSu_; ++k) {
        drawWithoutRepetition(Kuji, k, deck::kPoemCount, rng);
        Torifuda[static_cast<std::size_t>(k)] = table[Kuji[static_cast<std::size_t>(k)]];
    }
}

void Game::MakeYomijun(platform::Random &rng)
{
    for (int i = 1; i <= fudaSu_; ++i) {
        drawWithoutRepetition(Kuji, i, fudaSu_, rng);
        const int k = Kuji[static_cast<std::size_t>(i)];
        Yomifuda[static_cast<std::size_t>(i)] = Torifuda[static_cast<std::size_t>(k)];
        YomiSbtNo[static_cast<std::size_t>(i)] = k;
    }
}

void Game::sort(SortKey key)
{
    insertionSort(std::span(Torifuda).subspan(1, static_cast<std::size_t>(fudaSu_)), key);
}

bool Game::startReading(const deck::PoemTableData &table)
{
    Q_ASSERT(YomiNo < yomiSu_);
    ++YomiNo;
    Hanteizumi = false;

    deck::ReadSet read;
    for (int i = 1; i < YomiNo; ++i)
        read.set(static_cast<std::size_t>(table.numberOf(Yomifuda[static_cast<std::size_t>(i)])));
    read.reset(0); // an entry not in the table
    const deck::PoemNo no = table.numberOf(reading());
    const int decided = no == 0 || read.test(static_cast<std::size_t>(no)) ? 0 : deck::decidedTick(no, read);
    reveal_ = deck::Reveal(reading().Kaminoku.view(), reading().Shimonoku.view(), decided);
    return YomiNo == 1;
}

bool Game::judge()
{
    Hanteizumi = true;
    reveal_.stop();
    return YomiNo == yomiSu_;
}

TickStep Game::tick()
{
    TickStep step;
    if (!inReading())
        return step;
    static_cast<deck::RevealStep &>(step) = reveal_.tick();
    if (step.kind == TickStep::Kind::TimeOut) {
        step.missedCard = readingCard();
        step.gameOver = judge();
    }
    return step;
}

Verdict Game::take(int tag)
{
    Verdict result;
    if (!inReading())
        return result;
    Q_ASSERT(tag >= 1 && tag <= fudaSu_);
    result.rightCard = readingCard();
    if (tag == result.rightCard) {
        result.kind = Verdict::Kind::Correct;
        result.points = takePoints(Keika());
    } else {
        result.kind = Verdict::Kind::Wrong;
    }
    result.gameOver = judge();
    return result;
}

} // namespace game
