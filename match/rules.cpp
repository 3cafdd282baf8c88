#include "rules.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>

namespace match {

Match::Match(const Field &field, const QList<int> &order)
    : order_(field, order)
{
}

bool Match::rearrange(int from, int to)
{
    if (readingOpen() || !owed_.isEmpty() || result() != Result::Ongoing || from < 0 || to < 0 || from >= kSlots
        || to >= kSlots || field().at(Side::Player, from) == 0)
        return false;
    order_.field().swap(Side::Player, from, to);
    return true;
}

bool Match::startReading()
{
    if (!owed_.isEmpty() || result() != Result::Ongoing || !order_.next())
        return false;
    faultedOn_ = {};
    summary_ = ReadingSummary{};
    summary_.number = readingNumber();
    summary_.poem = poem();
    summary_.dead = !field().find(poem());
    return true;
}

TouchResult Match::touch(Side who, Place place, qint64 atMs)
{
    if (place.slot < 0 || place.slot >= kSlots)
        return {};
    if (!readingOpen())
        return touchAfterTake(who, place, atMs);
    TouchResult r;
    r.poem = field().at(place);
    if (r.poem == 0)
        return r;

    const std::optional<Place> card = field().find(poem());
    if (card && *card == place) {
        r.verdict = Verdict::Taken;
        order_.field().remove(poem());
        ++takes_[idx(who)];
        summary_.taker = who;
        summary_.takenFrom = place;
        summary_.takenAtMs = atMs;
        close();
        return r;
    }
    if (card && card->side == place.side) {
        r.verdict = Verdict::Nothing;
        return r;
    }
    // The wrong side, or any card while a dead card is read. A side touched
    // again adds nothing; on a dead card the second side doubles the fault.
    bool &touched = faultedOn_[idx(who)][idx(place.side)];
    if (touched)
        return r;
    touched = true;
    r.verdict = Verdict::Fault;
    if (!summary_.faulted[idx(who)]) {
        summary_.faulted[idx(who)] = true;
        summary_.faultPoem[idx(who)] = r.poem;
        ++faults_[idx(who)];
    }
    ++summary_.penalty[idx(who)];
    return r;
}

// Two hands on the card at one moment: it goes to the side it lay on.
TouchResult Match::touchAfterTake(Side who, Place place, qint64 atMs)
{
    const ReadingSummary &s = summary_;
    if (!s.taker || *s.taker == who || s.takenFrom != place || place.side != who || s.takenAtMs != atMs
        || s.sent[0] + s.sent[1] > 0)
        return {};
    --takes_[idx(*s.taker)];
    ++takes_[idx(who)];
    summary_.taker = who;
    settle();
    return {Verdict::Taken, s.poem};
}

void Match::endReading()
{
    if (!readingOpen())
        return;
    order_.field().remove(poem());
    close();
}

void Match::close()
{
    order_.close();
    settle();
}

// A take across owes the other side a card, a fault owes the faulter its
// penalty; what the two sides owe each other cancels, and only the
// difference is sent. A side cannot send more cards than it has.
void Match::settle()
{
    std::array<int, 2> due{};
    if (summary_.taker && summary_.takenFrom->side != *summary_.taker)
        ++due[idx(*summary_.taker)];
    for (Side s : {Side::Player, Side::Opponent})
        due[idx(other(s))] += summary_.penalty[idx(s)];
    const Side from = due[0] >= due[1] ? Side::Player : Side::Opponent;
    const int n = std::min(std::abs(due[0] - due[1]), field().count(from));
    summary_.owed = {};
    summary_.owed[idx(from)] = n;
    owed_ = QList<Side>(n, from);
}

std::optional<Side> Match::sender() const
{
    if (owed_.isEmpty())
        return std::nullopt;
    return owed_.first();
}

std::optional<Side> Match::receiver() const
{
    if (const auto s = sender())
        return other(*s);
    return std::nullopt;
}

bool Match::send(Side from, int slot)
{
    if (sender() != from || slot < 0 || slot >= kSlots)
        return false;
    Field &f = order_.field();
    const int poem = f.at(from, slot);
    const int to = f.freeSlot(other(from));
    if (poem == 0 || to < 0)
        return false;
    f.remove(poem);
    f.put({other(from), to}, poem);
    owed_.removeFirst();
    ++summary_.sent[idx(from)];
    ++sentTotal_[idx(from)];
    return true;
}

Result Match::result() const
{
    if (!owed_.isEmpty() || readingOpen())
        return Result::Ongoing;
    const int mine = field().count(Side::Player);
    const int theirs = field().count(Side::Opponent);
    if (mine == 0)
        return Result::PlayerWon;
    if (theirs == 0)
        return Result::OpponentWon;
    if (!order_.runOut())
        return Result::Ongoing;
    if (mine == theirs)
        return Result::Draw;
    return mine < theirs ? Result::PlayerWon : Result::OpponentWon;
}

QList<std::pair<int, int>> arrangeOwnSide(Match &m, const StandardLayout &layout)
{
    QList<std::pair<int, int>> moves;
    const Field target = arranged(m.field(), Side::Player, layout);
    // Each swap puts one card where it belongs and never moves it again.
    for (int k = 0; k < kSlots; ++k) {
        const int want = target.at(Side::Player, k);
        if (want && m.field().at(Side::Player, k) != want) {
            const int from = m.field().find(want)->slot;
            if (m.rearrange(from, k))
                moves.append({from, k});
        }
    }
    return moves;
}

} // namespace match
