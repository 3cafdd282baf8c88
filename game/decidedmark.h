#pragma once

#include <QWidget>

namespace tategaki {
class TLabelTategaki;
}

// A small triangle beside a vertical reading label, pointing at the place in
// its column where the poem became decided. Hidden until placed.
class DecidedMark : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 6;
    static constexpr int kHeight = 9;

    explicit DecidedMark(QWidget *parent = nullptr);

    // Shows the mark to the right of `label`, level with the end of the text
    // the label shows now. Both must share a parent.
    void placeAtEndOf(const tategaki::TLabelTategaki *label);
    // The position along the column it points at, in the parent's coordinates.
    int pointsAt() const { return y() + kHeight / 2; }

protected:
    void paintEvent(QPaintEvent *event) override;
};
