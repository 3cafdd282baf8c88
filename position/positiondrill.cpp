#include "positiondrill.h"

#include <algorithm>

#include "deck/reveal.h"

namespace match {

namespace {

// Cards of one side's rows, lowest row (2) first: its share rounded up.
std::array<int, kRows> rowCounts(int cards)
{
    std::array<int, kRows> out{};
    out[2] = (cards * 9 + 24) / 25;
    out[1] = (cards - out[2] + 1) / 2;
    out[0] = cards - out[2] - out[1];
    return out;
}

} // namespace

Field drillField(const QList<int> &poems)
{
    Q_ASSERT(poems.size() <= kDrillMaxCards);
    Field f;
    int next = 0;
    for (Side s : {Side::Player, Side::Opponent}) {
        const int onSide = std::min<int>(kCardsPerSide, int(poems.size()) - next);
        const std::array<int, kRows> rows = rowCounts(onSide);
        for (int r = kRows - 1; r >= 0; --r) {
            const int left = (rows[std::size_t(r)] + 1) / 2;
            for (int i = 0; i < rows[std::size_t(r)]; ++i) {
                const int column = i < left ? i : kColumns - 1 - (i - left);
                f.put({s, slotAt(r, column)}, poems[next++]);
            }
        }
    }
    return f;
}

QList<int> drawPoems(platform::Random &rng, const QList<int> &pool, int count)
{
    QList<int> left = pool;
    QList<int> out;
    while (!left.isEmpty() && out.size() < count)
        out << left.takeAt(rng.below(int(left.size())));
    return out;
}

QList<int> drillOrder(platform::Random &rng, const Field &field)
{
    QList<int> onField = field.poems(Side::Player) + field.poems(Side::Opponent);
    QList<int> others;
    for (int p = 1; p <= deck::kPoemCount; ++p)
        if (!onField.contains(p))
            others << p;
    QList<int> all = onField + drawPoems(rng, others, int(onField.size()));
    return drawPoems(rng, all, int(all.size()));
}

PositionDrill::PositionDrill(const Field &field, const QList<int> &order)
    : order_(field, order), laidOut_(field)
{
}

bool PositionDrill::rearrange(int from, int to)
{
    if (readingNumber() != 0 || from < 0 || to < 0 || from >= kSlots || to >= kSlots
        || !field().at(Side::Player, from))
        return false;
    order_.field().swap(Side::Player, from, to);
    laidOut_ = field();
    return true;
}

bool PositionDrill::startReading()
{
    // The card of the reading before stays in sight until this one opens.
    const int before = poem();
    if (!order_.next())
        return false;
    if (before)
        order_.field().remove(before);
    last_ = Reading{readingNumber(), poem(), field().find(poem()), std::nullopt, 0, 0, Outcome::Timeout};
    return true;
}

std::optional<PositionDrill::Outcome> PositionDrill::click(Place place, qint64 atMs)
{
    if (!readingOpen())
        return std::nullopt;
    last_.clicked = place;
    last_.clickedAtMs = atMs;
    last_.clickedPoem = field().at(place);
    close(!last_.lies ? Outcome::Fault : (*last_.lies == place ? Outcome::Right : Outcome::Wrong));
    return last_.outcome;
}

PositionDrill::Outcome PositionDrill::endReading()
{
    if (readingOpen())
        close(last_.lies ? Outcome::Timeout : Outcome::Dead);
    return last_.outcome;
}

void PositionDrill::close(Outcome outcome)
{
    order_.close();
    last_.outcome = outcome;
    done_ << last_;
    if (order_.runOut())
        order_.field().remove(poem());
}

int PositionDrill::faults() const
{
    return int(std::count_if(done_.begin(), done_.end(), [](const Reading &r) { return r.outcome == Outcome::Fault; }));
}

int PositionDrill::misses(int poem) const
{
    return int(std::count_if(done_.begin(), done_.end(), [poem](const Reading &r) {
        return r.poem == poem ? r.outcome == Outcome::Wrong || r.outcome == Outcome::Timeout : r.clickedPoem == poem;
    }));
}

int PositionDrill::right() const
{
    return int(std::count_if(done_.begin(), done_.end(), [](const Reading &r) { return r.outcome == Outcome::Right; }));
}

history::Take drillTake(const PositionDrill::Reading &r, qint64 session, qint64 readingStartMs, qint64 decidedMs)
{
    using O = PositionDrill::Outcome;
    history::Take t;
    t.mode = history::Mode::Position;
    t.session = session;
    t.poem = r.poem;
    t.deciding = history::Deciding::Spoken;
    switch (r.outcome) {
    case O::Right: t.outcome = history::Outcome::Right; break;
    case O::Wrong: t.outcome = history::Outcome::Wrong; break;
    case O::Timeout: t.outcome = history::Outcome::Timeout; break;
    case O::Dead:
    case O::Fault: t.outcome = history::Outcome::Dead; break;
    }
    if (r.clicked) {
        t.ms = r.clickedAtMs - readingStartMs;
        t.msAfterDeciding = t.ms - decidedMs;
        if (r.outcome == O::Wrong)
            t.chosen = r.clickedPoem;
    }
    using history::Extra;
    using history::word;
    t.extra = {
        {word(Extra::Lies), r.lies ? r.lies->text() : QString()},
        {word(Extra::Clicked), r.clicked ? r.clicked->text() : QString()},
        {word(Extra::DecidedTick), int(decidedMs / deck::kTickMs)},
        {word(Extra::PlayerFault), r.outcome == O::Fault},
    };
    return t;
}

} // namespace match
