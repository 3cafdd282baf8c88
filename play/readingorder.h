#pragma once

#include <QList>

#include "deck/spoken.h"
#include "play/field.h"

namespace match {

// Where a floor stands in its readings: the cards on it, the poems in the
// order they are read, the one read now and whether it is still open, and
// those read before it. The match and the position drill each add their own
// judging on top; the bookkeeping is the same, so it lives once here.
class ReadingOrder {
public:
    ReadingOrder(const Field &field, const QList<int> &order) : field_(field), order_(order) {}

    const Field &field() const { return field_; }
    Field &field() { return field_; }
    int readings() const { return int(order_.size()); }
    int number() const { return number_; } // 0 before the first
    int poem() const { return number_ >= 1 ? order_[number_ - 1] : 0; }
    bool open() const { return open_; }
    bool runOut() const { return number_ >= readings(); }
    // Poems read before the current one.
    const deck::ReadSet &readBefore() const { return readBefore_; }

    // Opens the next reading; false when one is open or none is left.
    bool next();
    void close() { open_ = false; }

private:
    Field field_;
    QList<int> order_;
    int number_ = 0;
    bool open_ = false;
    deck::ReadSet readBefore_;
};

} // namespace match
