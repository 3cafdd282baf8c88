#include "buttonsheet.h"

#include <QApplication>
#include <QEnterEvent>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <cstdio>
#include <memory>

#include "deck/poemtable.h"
#include "platform/sjis.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/speedbuttontategaki.h"

namespace tategaki {
namespace {

namespace colors = platform::colors;
namespace fonts = platform::fonts;

QByteArray sjis(const QString &text)
{
    return platform::sjis::encode(text);
}

class Sheet : public QWidget {
public:
    Sheet()
    {
        setFixedSize(1000, 960);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, colors::clSilver);
        setPalette(pal);
        setAutoFillBackground(true);
    }

    void note(QRect at, const QString &text) { notes_.push_back({at, text}); }
    void heading(QPoint at, const QString &text) { headings_.push_back({at, text}); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(Qt::black);
        p.setFont(fonts::font(fonts::MSPGothic, 14, true));
        for (const auto &h : headings_)
            p.drawText(h.first, h.second);
        p.setFont(fonts::font(fonts::MSPGothic, 11));
        for (const auto &n : notes_)
            p.drawText(n.first, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, n.second);
    }

private:
    std::vector<std::pair<QRect, QString>> notes_;
    std::vector<std::pair<QPoint, QString>> headings_;
};

// Diagonal stripes and a checker: something to see through a mixed button.
class Pattern : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(30, 60, 140));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(250, 200, 40), 6));
        for (int x = -height(); x < width(); x += 18)
            p.drawLine(x, height(), x + height(), 0);
        for (int y = 0; y < height(); y += 20)
            for (int x = (y / 20) % 2 * 20; x < width(); x += 40)
                p.fillRect(x, y, 20, 20, QColor(200, 40, 40, 140));
    }
};

QFont cardFont()
{
    return fonts::font(QStringLiteral("@") + fonts::MSMincho, 16, true);
}

TSpeedButtonTategaki *card(QWidget *parent, QPoint at, int poem)
{
    auto *b = new TSpeedButtonTategaki(parent);
    b->setGeometry(QRect(at, QSize(65, 113)));
    b->setAllowAllUp(true);
    b->setFont(cardFont());
    b->setMultiLine(true);
    b->setTategaki(true);
    b->setTag(poem);
    b->setCaption(deck::PoemTable[poem].Shimonoku.toByteArray());
    return b;
}

TSpeedButtonTategaki *button(QWidget *parent, QRect geometry, const QString &caption)
{
    auto *b = new TSpeedButtonTategaki(parent);
    b->setGeometry(geometry);
    b->setFont(fonts::font(QStringLiteral("@") + fonts::MSGothic, 14));
    b->setMultiLine(true);
    b->setCaption(sjis(caption));
    return b;
}

// Shows a button as the pointer being over it would.
void hover(TSpeedButtonTategaki *b)
{
    const QPointF inside(b->width() / 2.0, b->height() / 2.0);
    QEnterEvent enter(inside, b->mapTo(b->window(), inside), b->mapToGlobal(inside));
    QApplication::sendEvent(b, &enter);
}

// Latched: the look of a held button, kept still for the picture.
void latch(TSpeedButtonTategaki *b, int group)
{
    b->setGroupIndex(group);
    b->setDown(true);
}

QImage icon(QColor color, int shape)
{
    QImage img(20, 20, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color.darker(160), 1.5));
    p.setBrush(color);
    if (shape == 0)
        p.drawEllipse(QRectF(2, 2, 16, 16));
    else if (shape == 1)
        p.drawRect(QRectF(3, 3, 14, 14));
    else
        p.drawPolygon(QPolygonF({QPointF(10, 2), QPointF(18, 17), QPointF(2, 17)}));
    return img;
}

} // namespace

QPixmap RenderButtonSheet()
{
    if (!deck::PoemTable.isFilled())
        deck::PoemTable.fill();
    Sheet sheet;
    auto cell = [&](QRect r, const QString &text) { sheet.note(QRect(r.left() - 15, r.bottom() + 4, r.width() + 30, 30), text); };

    // 1. The game's cards.
    sheet.heading({16, 24}, QStringLiteral("Cards of the game board (65 × 113, @ＭＳ 明朝 16 bold)"));
    {
        auto *board = new platform::ui::Panel(&sheet);
        board->setGeometry(16, 34, 8 + 64 * 6 + 1 + 8, 130);
        board->setColor(colors::clNavy);
        board->setBevels(platform::ui::Bevel::Lowered, platform::ui::Bevel::Lowered);
        const struct {
            int poem;
            QColor color;
            int state; // 0 up, 1 held, 2 disabled
            QString note;
        } cards[] = {
            {1, colors::clBtnFace, 0, QStringLiteral("clBtnFace")},
            {2, colors::clBtnFace, 1, QStringLiteral("held")},
            {3, colors::clBlue, 0, QStringLiteral("clBlue (taken)")},
            {4, colors::clRed, 0, QStringLiteral("clRed (missed)")},
            {5, colors::clBtnFace, 2, QStringLiteral("disabled")},
            {6, colors::clBlue, 2, QStringLiteral("blue, disabled")},
        };
        int j = 0;
        for (const auto &c : cards) {
            // Right to left, overlapping by one pixel, as on the board.
            const int left = 8 + 64 * (6 - 1 - j);
            auto *b = card(board, QPoint(left, 8), c.poem);
            b->setColor(c.color);
            if (c.state == 1)
                latch(b, 100 + j);
            if (c.state == 2)
                b->setEnabled(false);
            sheet.note(QRect(16 + left - 4, 168, 73, 30), c.note);
            ++j;
        }
    }

    // 2. Frame styles of rectangular buttons.
    sheet.heading({16, 226}, QStringLiteral("Frames: raised, lowered, flat (resting, hot, down), HideFrame"));
    {
        const QSize size(56, 96);
        int x = 30;
        auto next = [&] {
            const QRect r(QPoint(x, 236), size);
            x += 86;
            return r;
        };
        QRect r = next();
        button(&sheet, r, QStringLiteral("浮き出し"));
        cell(r, QStringLiteral("tfsRaised"));
        r = next();
        latch(button(&sheet, r, QStringLiteral("押し込み")), 1);
        cell(r, QStringLiteral("tfsLowered"));
        r = next();
        button(&sheet, r, QStringLiteral("平ら"))->setFlat(true);
        cell(r, QStringLiteral("flat, tfsNone"));
        r = next();
        auto *hot = button(&sheet, r, QStringLiteral("平ら・上"));
        hot->setFlat(true);
        hover(hot);
        cell(r, QStringLiteral("tfsFlatRaised"));
        r = next();
        auto *flatDown = button(&sheet, r, QStringLiteral("平ら・押"));
        flatDown->setFlat(true);
        latch(flatDown, 2);
        cell(r, QStringLiteral("tfsFlatLowered"));
        r = next();
        button(&sheet, r, QStringLiteral("枠なし"))->setHideFrame(true);
        cell(r, QStringLiteral("HideFrame"));
        r = next();
        auto *focused = button(&sheet, r, QStringLiteral("フォーカス"));
        focused->OnDrawButton = [](TCustomSpeedButtonTategaki *, TDrawButtonZelInfo &info) { info.Focused = true; };
        cell(r, QStringLiteral("Focused (OnDrawButton)"));
        r = next();
        auto *horizontal = button(&sheet, QRect(r.topLeft(), QSize(96, 40)), QStringLiteral("横書き"));
        horizontal->setTategaki(false);
        horizontal->setFont(fonts::font(fonts::MSPGothic, 14));
        cell(QRect(r.topLeft(), QSize(96, 40)), QStringLiteral("Tategaki False"));
        auto *disabled = button(&sheet, QRect(r.left(), r.top() + 60, 96, 36), QStringLiteral("使用不可"));
        disabled->setTategaki(false);
        disabled->setFont(fonts::font(fonts::MSPGothic, 14));
        disabled->setEnabled(false);
    }

    // 3. Elliptic buttons: the face and rings stay inside the ellipse.
    sheet.heading({16, 380}, QStringLiteral("Elliptic: raised, lowered, flat, transparent, coloured"));
    {
        auto *behind = new Pattern(&sheet);
        behind->setGeometry(16, 390, 968, 120);
        const struct {
            QColor color;
            int kind; // 0 raised, 1 lowered, 2 flat hot, 3 flat down, 4 transparent, 5 focused
            QString caption;
            QString note;
        } ellipses[] = {
            {colors::clBtnFace, 0, QStringLiteral("楕円"), QStringLiteral("raised")},
            {colors::clBtnFace, 1, QStringLiteral("押下"), QStringLiteral("lowered")},
            {colors::clBtnFace, 2, QStringLiteral("平ら"), QStringLiteral("flat, hot")},
            {colors::clBtnFace, 3, QStringLiteral("平押"), QStringLiteral("flat, down")},
            {QColor(), 4, QStringLiteral("透明"), QStringLiteral("Transparent")},
            {colors::clYellow, 0, QStringLiteral("黄色"), QStringLiteral("clYellow")},
            {QColor(120, 200, 120), 1, QStringLiteral("緑押"), QStringLiteral("green, lowered")},
            {colors::clBtnFace, 5, QStringLiteral("焦点"), QStringLiteral("Focused")},
        };
        int x = 12;
        int group = 10;
        for (const auto &e : ellipses) {
            auto *b = button(behind, QRect(x, 10, 104, 80), e.caption);
            b->setElliptic(true);
            b->setFont(fonts::font(QStringLiteral("@") + fonts::MSMincho, 16, true));
            if (e.color.isValid())
                b->setColor(e.color);
            if (e.kind == 1 || e.kind == 3)
                latch(b, group++);
            if (e.kind == 2 || e.kind == 3)
                b->setFlat(true);
            if (e.kind == 2)
                hover(b);
            if (e.kind == 4)
                b->setTransparent(true);
            if (e.kind == 5)
                b->OnDrawButton = [](TCustomSpeedButtonTategaki *, TDrawButtonZelInfo &info) { info.Focused = true; };
            sheet.note(QRect(16 + x - 8, 390 + 96, 120, 20), e.note);
            x += 118;
        }
    }

    // 4. Images from an image list.
    sheet.heading({16, 540}, QStringLiteral("Images: Layout left, right, top, bottom; NumImages 3 by state"));
    auto *images = new TImageList(20, 20, &sheet);
    images->Add(icon(QColor(70, 150, 230), 0));  // normal
    images->Add(icon(QColor(170, 170, 170), 1)); // disabled
    images->Add(icon(QColor(240, 120, 40), 2));  // lowered
    {
        const struct {
            TButtonLayout layout;
            bool vertical;
            QSize size;
            QString note;
        } layouts[] = {
            {blGlyphLeft, true, {90, 90}, QStringLiteral("blGlyphLeft")},
            {blGlyphRight, true, {90, 90}, QStringLiteral("blGlyphRight")},
            {blGlyphTop, true, {60, 110}, QStringLiteral("blGlyphTop")},
            {blGlyphBottom, true, {60, 110}, QStringLiteral("blGlyphBottom")},
            {blGlyphLeft, false, {110, 40}, QStringLiteral("left, horizontal")},
            {blGlyphTop, false, {110, 60}, QStringLiteral("top, horizontal")},
        };
        int x = 24;
        for (const auto &l : layouts) {
            const QRect r(QPoint(x, 552), l.size);
            auto *b = button(&sheet, r, QStringLiteral("画像"));
            b->setImages(images);
            b->setNumImages(3);
            b->setLayout(l.layout);
            b->setTategaki(l.vertical);
            if (!l.vertical)
                b->setFont(fonts::font(fonts::MSPGothic, 14));
            cell(r, l.note);
            x += l.size.width() + 36;
        }
        QRect r(QPoint(x, 552), QSize(60, 110));
        auto *down = button(&sheet, r, QStringLiteral("押下"));
        down->setImages(images);
        down->setNumImages(3);
        latch(down, 20);
        cell(r, QStringLiteral("down: image +2"));
        r.translate(90, 0);
        auto *off = button(&sheet, r, QStringLiteral("不可"));
        off->setImages(images);
        off->setNumImages(3);
        off->setEnabled(false);
        cell(r, QStringLiteral("disabled: +1"));
    }

    // 5. Mixing with the background in eighths.
    sheet.heading({16, 712}, QStringLiteral("TrnsIndex 0 to 7 over a pattern: cards, elliptic buttons, labels"));
    {
        auto *behind = new Pattern(&sheet);
        behind->setGeometry(16, 722, 968, 200);
        for (int level = 0; level <= 7; ++level) {
            const int x = 10 + level * 120;
            auto *c = card(behind, QPoint(x, 8), 11 + level);
            c->setTrnsIndex(TTrnsIndex(level));
            auto *e = button(behind, QRect(x + 66, 8, 44, 70), QStringLiteral("楕円"));
            e->setElliptic(true);
            e->setColor(colors::clWhite);
            e->setTrnsIndex(TTrnsIndex(level));
            auto *l = new TLabelTategaki(behind);
            l->setAutoSize(false);
            l->setGeometry(x + 72, 84, 32, 90);
            l->setFont(fonts::font(QStringLiteral("@") + fonts::System, 19, true));
            l->setColor(colors::clWhite);
            l->setMultiLine(true);
            l->setCaption(sjis(QStringLiteral("ラベル")));
            l->setTrnsIndex(TTrnsIndex(level));
            sheet.note(QRect(16 + x, 722 + 178, 110, 20), QStringLiteral("TrnsIndex %1").arg(level));
        }
    }

    return sheet.grab();
}

QString ButtonSheetPath(const QString &galleryOut)
{
    const QFileInfo info(galleryOut);
    const QString base = info.completeBaseName().isEmpty() ? QStringLiteral("tategaki_gallery") : info.completeBaseName();
    return info.dir().filePath(base + QStringLiteral("_buttons.png"));
}

bool SaveButtonSheet(const QString &path)
{
    if (!RenderButtonSheet().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace tategaki
