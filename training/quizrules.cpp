#include "quizrules.h"

namespace training {

std::array<deck::PoemNo, deck::kPoemCount> drawPoemOrder(platform::Random &rng)
{
    std::array<deck::PoemNo, deck::kPoemCount> order{};
    std::array<bool, deck::kPoemCount + 1> taken{};
    for (auto &no : order) {
        do
            no = rng.below(deck::kPoemCount) + 1;
        while (taken[no]);
        taken[no] = true;
    }
    return order;
}

void shuffleMondaiList(platform::Random &rng, const deck::PoemTableData &table, MondaiListType &list)
{
    const auto order = drawPoemOrder(rng);
    for (int p = 1; p <= deck::kPoemCount; ++p)
        list[p] = table[order[p - 1]];
}

std::array<deck::PoemNo, kDistractorCount> drawDistractors(platform::Random &rng,
                                                           const deck::PoemTableData &table,
                                                           SentakushiList &sentakushi)
{
    std::array<deck::PoemNo, kDistractorCount> drawn{};
    for (int k = 1; k <= kDistractorCount; ++k) {
        deck::PoemNo no;
        bool repeat;
        do {
            no = rng.below(deck::kPoemCount) + 1;
            sentakushi[k] = table[no];
            repeat = std::find(drawn.begin(), drawn.begin() + (k - 1), no) != drawn.begin() + (k - 1)
                || sentakushi[k].Kaminoku == sentakushi[0].Kaminoku;
        } while (repeat);
        drawn[k - 1] = no;
    }
    return drawn;
}

std::array<int, kChoiceCount> drawPlacement(platform::Random &rng)
{
    std::array<int, kChoiceCount> rows{};
    std::array<bool, kChoiceCount> taken{};
    for (int &row : rows) {
        do
            row = rng.below(kChoiceCount);
        while (taken[row]);
        taken[row] = true;
    }
    return rows;
}

KaitoRanList placeChoices(const SentakushiList &sentakushi, const std::array<int, kChoiceCount> &rows)
{
    KaitoRanList kaitoRan{};
    for (int k = 0; k < kChoiceCount; ++k)
        kaitoRan[rows[k]] = sentakushi[k];
    return kaitoRan;
}

int seikairitu(int seikai, int mondaisu)
{
    if (mondaisu <= 0)
        return 0;
    // Exact integer rounding: the same result as dividing in floating point
    // and rounding half to even, without depending on the rounding mode.
    const long long scaled = static_cast<long long>(seikai) * 100;
    long long q = scaled / mondaisu;
    const long long twiceRest = 2 * (scaled % mondaisu);
    if (twiceRest > mondaisu || (twiceRest == mondaisu && q % 2 != 0))
        ++q;
    return static_cast<int>(q);
}

QString runSummary(int mondaisu, int seikai, int machigai, int seikairitu, const MissedPoems &missed,
                   const deck::PoemTableData &table)
{
    // Four poems to a line keeps a long list within the screen's height.
    constexpr int perLine = 4;
    const QChar ideographicSpace(0x3000);

    QString text = QStringLiteral("百首すべてに正解しました。\n\n");
    text += QStringLiteral("問題数　%1\n正解数　%2\n誤答数　%3\n正解率　%4％\n\n")
                .arg(mondaisu)
                .arg(seikai)
                .arg(machigai)
                .arg(seikairitu);
    if (missed.none())
        return text + QStringLiteral("一度も間違えませんでした。");

    text += QStringLiteral("一度でも間違えた歌（%1首）").arg(missed.count());
    int onLine = 0;
    for (deck::PoemNo no = 1; no <= deck::kPoemCount; ++no) {
        if (!missed.test(static_cast<std::size_t>(no)))
            continue;
        text += onLine++ % perLine == 0 ? QStringLiteral("\n") : QStringLiteral("、");
        // Some verses run their first two phrases together: six characters
        // are enough to know any first phrase by.
        text += QString::number(no) + u' ' + table[no].Kaminoku.text().section(ideographicSpace, 0, 0).left(6);
    }
    return text;
}


void shuffleSetList(platform::Random &rng, const deck::PoemTableData &table, const QList<deck::PoemNo> &set,
                    MondaiListType &list)
{
    Q_ASSERT(set.size() <= deck::kPoemCount);
    const QList<deck::PoemNo> order = play::drawSetOrder(rng, set);
    for (qsizetype p = 0; p < order.size(); ++p)
        list[static_cast<std::size_t>(p + 1)] = table[order[p]];
}

std::array<deck::PoemNo, kDistractorCount> drawSetDistractors(platform::Random &rng,
                                                              const deck::PoemTableData &table,
                                                              const QList<deck::PoemNo> &set, deck::PoemNo answer,
                                                              SentakushiList &sentakushi)
{
    Q_ASSERT(set.contains(answer));
    QList<deck::PoemNo> inside, outside;
    for (deck::PoemNo no = 1; no <= deck::kPoemCount; ++no) {
        if (no != answer)
            (set.contains(no) ? inside : outside) << no;
    }
    std::array<deck::PoemNo, kDistractorCount> drawn{};
    // Draws without repetition from `pool`, removing what it takes.
    auto take = [&rng](QList<deck::PoemNo> &pool) {
        return pool.takeAt(rng.below(static_cast<int>(pool.size())));
    };
    for (int k = 0; k < kDistractorCount; ++k) {
        drawn[k] = !inside.isEmpty() ? take(inside) : take(outside);
        sentakushi[k + 1] = table[drawn[k]];
    }
    return drawn;
}

} // namespace training
