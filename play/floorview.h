#pragma once

#include <QPoint>

#include <array>

#include "play/field.h"

class MatchCard;
class QWidget;
namespace deck {
class PoemTableData;
}
namespace platform::ui {
class Panel;
}

// The navy floor with all hundred cards on it, made once and hidden until
// laid: the match, the position drill and the replay lay the same cards on
// the same places.
class FloorView {
public:
    FloorView(QWidget *parent, QPoint topLeft);

    platform::ui::Panel *panel() const { return panel_; }
    MatchCard *cardOf(int poem) const;
    // The card shown at `at`, turned towards the side it lies on.
    void lay(int poem, match::Place at) const;
    // Its lower verse written on it, once the table has been read.
    void writeFace(int poem, const deck::PoemTableData &poems) const;

    // The keyboard's yellow frame; the replay, looked at only, has none.
    QWidget *makeFrame();
    void showFrame(match::Place at) const;

private:
    platform::ui::Panel *panel_;
    std::array<MatchCard *, 101> cards_{};
    QWidget *frame_ = nullptr;
};
