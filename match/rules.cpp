#include "rules.h"

#include <QtGlobal>

namespace match {

Match::Match(const Field &field, const QList<int> &order)
    : field_(field), order_(order)
{
}

bool Match::rearrange(int from, int to)
{
    if (number_ != 0 || from < 0 || to < 0 || from >= kSlots || to >= kSlots || field_.at(Side::Player, from) == 0)
        return false;
    field_.swap(Side::Player, from, to);
    return true;
}

bool Match::startReading()
{
    if (open_ || !owed_.isEmpty() || number_ >= readings() || result() != Result::Ongoing)
        return false;
    if (number_ >= 1)
        readBefore_.set(static_cast<std::size_t>(poem()));
    ++number_;
    open_ = true;
    summary_ = ReadingSummary{};
    summary_.number = number_;
    summary_.poem = poem();
    summary_.dead = !field_.find(poem());
    return true;
}

TouchResult Match::touch(Side who, Place place, qint64 atMs)
{
    TouchResult r;
    if (!open_ || place.slot < 0 || place.slot >= kSlots)
        return r;
    r.poem = field_.at(place);
    if (r.poem == 0 || summary_.faulted[idx(who)])
        return r;

    const std::optional<Place> card = field_.find(poem());
    if (card && *card == place) {
        r.verdict = Verdict::Taken;
        field_.remove(poem());
        ++takes_[idx(who)];
        summary_.taker = who;
        summary_.takenFrom = place;
        summary_.takenAtMs = atMs;
        if (place.side != who)
            owed_ << who;
        close();
        return r;
    }
    if (card && card->side == place.side) {
        r.verdict = Verdict::Nothing;
        return r;
    }
    // The wrong side, or any card while a dead card is read. Touching both
    // sides still makes a single fault: later touches of this side are ignored.
    r.verdict = Verdict::Fault;
    summary_.faulted[idx(who)] = true;
    ++faults_[idx(who)];
    return r;
}

void Match::endReading()
{
    if (!open_)
        return;
    field_.remove(poem());
    close();
}

void Match::close()
{
    open_ = false;
    for (Side s : {Side::Player, Side::Opponent})
        if (summary_.faulted[idx(s)])
            owed_ << other(s);
    dropSendsOfEmptySides();
}

// A side that has run out of cards has won and owes nothing more.
void Match::dropSendsOfEmptySides()
{
    owed_.removeIf([this](Side s) { return field_.count(s) == 0; });
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
    const int poem = field_.at(from, slot);
    const int to = field_.freeSlot(other(from));
    if (poem == 0 || to < 0)
        return false;
    field_.remove(poem);
    field_.put({other(from), to}, poem);
    owed_.removeFirst();
    ++summary_.sent[idx(from)];
    ++sentTotal_[idx(from)];
    dropSendsOfEmptySides();
    return true;
}

Result Match::result() const
{
    if (!owed_.isEmpty() || open_)
        return Result::Ongoing;
    const int mine = field_.count(Side::Player);
    const int theirs = field_.count(Side::Opponent);
    if (mine == 0)
        return Result::PlayerWon;
    if (theirs == 0)
        return Result::OpponentWon;
    if (number_ < readings())
        return Result::Ongoing;
    if (mine == theirs)
        return Result::Draw;
    return mine < theirs ? Result::PlayerWon : Result::OpponentWon;
}

} // namespace match
