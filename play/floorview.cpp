#include "floorview.h"

#include "deck/poemtable.h"
#include "play/floorgeometry.h"
#include "play/matchcard.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"

using namespace platform;

FloorView::FloorView(QWidget *parent, QPoint topLeft)
{
    panel_ = new ui::Panel(parent);
    panel_->setObjectName(QStringLiteral("PField"));
    panel_->setGeometry(QRect(topLeft, match::floorSize()));
    panel_->setColor(colors::clNavy);
    panel_->setBevels(ui::Bevel::Lowered, ui::Bevel::Lowered, 1);

    const QFont cardFont = fonts::font(QStringLiteral("@") + fonts::MSMincho, 14, true);
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        auto *c = new MatchCard(panel_);
        c->setObjectName(QStringLiteral("card%1").arg(p));
        c->setTag(p);
        c->setFont(cardFont);
        c->setLayout(tategaki::blGlyphTop);
        c->setMultiLine(true);
        c->setTategaki(true);
        c->setFocusPolicy(Qt::NoFocus); // the keys belong to the window's frame
        c->hide();
        cards_[std::size_t(p)] = c;
    }
}

MatchCard *FloorView::cardOf(int poem) const
{
    return poem >= 1 && poem <= deck::kPoemCount ? cards_[std::size_t(poem)] : nullptr;
}

void FloorView::lay(int poem, match::Place at) const
{
    MatchCard *c = cardOf(poem);
    c->setGeometry(match::placeRect(at));
    c->setUpsideDown(at.side == match::Side::Opponent);
    c->show();
}

void FloorView::writeFace(int poem, const deck::PoemTableData &poems) const
{
    MatchCard *c = cardOf(poem);
    if (c->Caption().isEmpty() && poems.isFilled())
        c->setCaption(poems[poem].Shimonoku.toByteArray());
}

QWidget *FloorView::makeFrame()
{
    frame_ = new QWidget(panel_);
    frame_->setObjectName(QStringLiteral("Cursor"));
    frame_->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame_->setStyleSheet(QStringLiteral("border: 3px solid yellow; background: transparent;"));
    frame_->hide();
    return frame_;
}

void FloorView::showFrame(match::Place at) const
{
    frame_->setGeometry(match::placeRect(at).adjusted(-2, -2, 2, 2));
    frame_->raise();
    frame_->show();
}
