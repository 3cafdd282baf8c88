// A board of 24 cards in a window, for trying the buttons with a real
// pointer. Every click is printed as "click sbt<Tag>"; pressing on the board
// around the cards prints "board".
//   tategaki_cardboard
#include <QApplication>
#include <QMouseEvent>

#include <cstdio>

#include "deck/poemtable.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"
#include "tategaki/speedbuttontategaki.h"

using namespace tategaki;

namespace {

class Board : public platform::ui::Panel {
public:
    using platform::ui::Panel::Panel;

protected:
    void mousePressEvent(QMouseEvent *) override
    {
        std::printf("board\n");
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();

    Board board;
    board.setWindowTitle(QStringLiteral("cards"));
    board.setColor(platform::colors::clNavy);
    board.setBevels(platform::ui::Bevel::Lowered, platform::ui::Bevel::Lowered);
    board.setFixedSize(529, 353);
    const QFont font = platform::fonts::font(QStringLiteral("@") + platform::fonts::MSMincho, 16, true);
    for (int k = 1; k <= 24; ++k) {
        const int r = (k - 1) / 8, j = (k - 1) % 8;
        auto *b = new TSpeedButtonTategaki(&board);
        b->setObjectName(QStringLiteral("sbt%1").arg(k));
        b->setGeometry(8 + 64 * (8 - 1 - j), 8 + 112 * r, 65, 113);
        b->setAllowAllUp(true);
        b->setFont(font);
        b->setMultiLine(true);
        b->setTag(k);
        b->setCaption(deck::PoemTable[k].Shimonoku.toByteArray());
        // The last card is round, to try the elliptic hit region.
        b->setElliptic(k == 24);
        b->OnClick = [](QObject *sender) {
            auto *card = static_cast<TSpeedButtonTategaki *>(sender);
            std::printf("click sbt%d\n", card->Tag());
            std::fflush(stdout);
            card->setColor(card->Color() == platform::colors::clBlue ? platform::colors::clBtnFace
                                                                     : platform::colors::clBlue);
        };
    }
    board.move(0, 0);
    board.show();
    return app.exec();
}
