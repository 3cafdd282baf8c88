// Renders a sheet of vertical-text samples to a PNG, without a display:
//   QT_QPA_PLATFORM=offscreen tategaki_gallery [out.png]
// Reading labels and cards at the game's sizes, kinsoku cases, half-width
// text, justification, a multi-line label and a disabled one.

#include <QApplication>
#include <QPainter>
#include <QPixmap>

#include <cstdio>
#include <functional>

#include "deck/poemtable.h"
#include "platform/sjis.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"
#include "tategaki/engine.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/tools/buttonsheet.h"

using namespace tategaki;
namespace colors = platform::colors;
namespace fonts = platform::fonts;

namespace {

QByteArray sjis(const QString &text)
{
    return platform::sjis::encode(text);
}

// A box that draws one caption straight through the engine, with the
// MaxExtent line in red when a kinsoku margin is kept.
class SampleBox : public QWidget {
public:
    SampleBox(QWidget *parent, QRect geometry, QFont font, QByteArray caption, TTategakiTextParams params,
              bool enabled = true, bool frame = false)
        : QWidget(parent), font_(font), caption_(caption), params_(params), enabled_(enabled), frame_(frame)
    {
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), frame_ ? colors::clBtnFace : colors::clWhite);
        TRect r = TRect::fromQRect(rect());
        if (frame_) {
            // The card's look: a raised two-pixel bevel, the text 4 pixels in.
            platform::ui::frame3D(p, platform::ui::frame3D(p, rect(), colors::cl3DLight, colors::cl3DDkShadow, 1),
                              colors::clBtnHighlight, colors::clBtnShadow, 1);
            r = {4, 4, width() - 4, height() - 4};
        } else {
            p.setPen(QColor(200, 200, 255));
            p.drawRect(rect().adjusted(0, 0, -1, -1));
            if (params_.KinsokuMargin > 0 && params_.Tategaki) {
                p.setPen(QColor(255, 120, 120));
                const int y = r.Bottom - params_.KinsokuMargin;
                p.drawLine(0, y, width(), y);
            }
        }
        p.setPen(colors::clWindowText);
        DrawTategakiTextState(p, font_, caption_, enabled_, params_, r);
    }

private:
    QFont font_;
    QByteArray caption_;
    TTategakiTextParams params_;
    bool enabled_;
    bool frame_;
};

class Sheet : public QWidget {
public:
    Sheet()
    {
        setFixedSize(1180, 880);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, colors::clSilver);
        setPalette(pal);
        setAutoFillBackground(true);
    }

    void note(QPoint at, const QString &text, int width = 160)
    {
        notes_.push_back({QRect(at, QSize(width, 40)), text});
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setFont(fonts::font(fonts::MSPGothic, 11));
        p.setPen(Qt::black);
        for (const auto &n : notes_)
            p.drawText(n.first, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, n.second);
    }

private:
    std::vector<std::pair<QRect, QString>> notes_;
};

TLabelTategaki *readingLabel(QWidget *parent, QRect geometry, const QByteArray &caption, int px)
{
    auto *lt = new TLabelTategaki(parent);
    lt->setLoading(true);
    lt->setFont(fonts::font(QStringLiteral("@") + fonts::System, px, true));
    lt->setAutoSize(false);
    lt->setMultiLine(true);
    lt->setGeometry(geometry);
    lt->setLoading(false);
    lt->setCaption(caption);
    return lt;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fonts::installSubstitutes();
    deck::PoemTable.fill();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tategaki_gallery.png");

    Sheet sheet;
    const QFont card = fonts::font(QStringLiteral("@") + fonts::MSMincho, 16, true);
    const QFont mincho16 = fonts::font(QStringLiteral("@") + fonts::MSMincho, 16);

    // Reading panels of the S board: the whole poem 1, and poem 2 stopped at
    // tick 25 (the caption ends in a first byte).
    auto readingPanel = [&](QPoint at, const deck::PoemEntry &poem, int ticks, int lt1Width) {
        constexpr int px = 19;
        auto *panel = new platform::ui::Panel(&sheet);
        panel->setGeometry(QRect(at, QSize(49, 353)));
        panel->setColor(colors::clHighlightText);
        panel->setBevels(platform::ui::Bevel::None, platform::ui::Bevel::Raised, 1);
        panel->setBorderLine(true);
        const QByteArray kami = poem.Kaminoku.toByteArray();
        const QByteArray shimo = poem.Shimonoku.toByteArray();
        const int k = std::min(ticks, 40);
        readingLabel(panel, QRect(24, 8, lt1Width, 337), kami.left(k), px);
        readingLabel(panel, QRect(5, 43, lt1Width, 305), ticks > 40 ? shimo.left(std::min(ticks, 72) - 40) : QByteArray(),
                     px);
    };
    readingPanel({16, 16}, deck::PoemTable[1], 72, 17);
    readingPanel({80, 16}, deck::PoemTable[2], 25, 17);
    readingPanel({144, 16}, deck::PoemTable[3], 58, 15);
    // System is drawn at its 16-pixel cell whatever size is asked, so a
    // panel "at 16 px" would repeat the first one pixel for pixel.
    sheet.note({16, 374}, QStringLiteral("lt1/lt2 @System 19 bold (drawn at its 16 px cell): whole, tick 25 (odd), L board 15 px"),
               200);

    // Cards: 65 x 113, "@ＭＳ 明朝" 16 bold, centred, 2 px between columns.
    TTategakiTextParams cardParams;
    cardParams.Alignment = taCenter;
    cardParams.Layout = tlCenter;
    cardParams.MultiLine = true;
    cardParams.LineMargin = 2;
    for (int i = 0; i < 6; ++i)
        new SampleBox(&sheet, QRect(232 + i * 70, 16, 65, 113), card, deck::PoemTable[i + 1].Shimonoku.toByteArray(),
                      cardParams, true, true);
    new SampleBox(&sheet, QRect(232 + 6 * 70, 16, 65, 113), card, deck::PoemTable[7].Shimonoku.toByteArray(),
                  cardParams, false, true);
    sheet.note({232, 134}, QStringLiteral("cards 65 x 113 (poems 1-7), the last one disabled (embossed)"), 480);

    // Kinsoku cases in 16 px boxes, 105 high; red line = MaxExtent.
    TTategakiTextParams k;
    k.MultiLine = true;
    k.LineMargin = 2;
    struct Case {
        QString text;
        int margin;
        int level;
        QString note;
    };
    const Case cases[] = {
        {QStringLiteral("あいうえお「かきくけこ」"), 0, 2, QStringLiteral("「 moves down")},
        {QStringLiteral("あいうえおか。きくけこ"), 0, 2, QStringLiteral("。 margin 0: か goes with it")},
        {QStringLiteral("あいうえおか。きくけこ"), 16, 2, QStringLiteral("。 hangs, margin 16")},
        {QStringLiteral("あいうえおか」。きくけ"), 32, 2, QStringLiteral("」。 both hang")},
        {QStringLiteral("あいうえおかーきくけこ"), 0, 2, QStringLiteral("ー level 2")},
        {QStringLiteral("あいうえおかーきくけこ"), 0, 1, QStringLiteral("ー level 1")},
        {QStringLiteral("あいうえおかっきくけこ"), 0, 2, QStringLiteral("っ level 2")},
        {QStringLiteral("あいう\r\n\r\nえおか"), 0, 2, QStringLiteral("CR LF CR LF: empty column")},
        {QStringLiteral("あいうえおか。\r\nきく"), 16, 2, QStringLiteral("hung 。 eats CR LF")},
        {QStringLiteral("あいうえおかきくけこさし"), 0, 2, QStringLiteral("justified: 6 in 105")},
    };
    int x = 232;
    for (const Case &c : cases) {
        TTategakiTextParams p = k;
        p.KinsokuMargin = c.margin;
        p.KinsokuLevel = c.level;
        const int h = 105 + c.margin;
        new SampleBox(&sheet, QRect(x, 170, 57, h), mincho16, sjis(c.text), p);
        sheet.note({x, 170 + h + 4}, c.note, 60);
        x += 70;
    }

    // Half-width text lies on its side; full-width stands upright.
    TTategakiTextParams single;
    const QString mixed[] = {
        QStringLiteral("Qt6とHarfBuzzで縦書き"),
        QStringLiteral("ｶﾀｶﾅ 123 ﾃｷｽﾄ"),
        QStringLiteral("令和6年（2024年）"),
        QStringLiteral("「ＡＢＣ」abc、ー〜！"),
        QStringLiteral("ちょっと待ってー。"),
    };
    x = 16;
    for (const QString &s : mixed) {
        new SampleBox(&sheet, QRect(x, 420, 24, 300), fonts::font(QStringLiteral("@") + fonts::MSGothic, 19), sjis(s),
                      single);
        x += 32;
    }
    sheet.note({16, 724}, QStringLiteral("half-width text turned clockwise (@ＭＳ ゴシック 19)"), 170);

    // A multi-line label that sizes itself: right edge and height stay.
    auto *multi = new TLabelTategaki(&sheet);
    multi->setMultiLine(true);
    multi->setColor(QColor(255, 255, 224));
    multi->setFont(fonts::font(QStringLiteral("@") + fonts::MSMincho, 19));
    multi->setGeometry(QRect(200, 420, 20, 200));
    multi->setLineMargin(6);
    multi->setKinsokuMargin(19);
    multi->setCaption(sjis(QStringLiteral("「縦書きラベル」は、禁則処理をして文字を縦に並べます。行末の句読点はぶら下がり、"
                                          "行頭に来てはいけない文字は前の行へ送られます。\r\n\r\n改行も使えます。")));
    multi->move(480 - multi->width(), 420);
    sheet.note({200, 630}, QStringLiteral("multi-line label, AutoSize, LineMargin 6, KinsokuMargin 19"), 280);

    // Alignment and layout.
    struct Align {
        TAlignment a;
        TTextLayout l;
        QString note;
    };
    const Align aligns[] = {
        {taRightJustify, tlTop, QStringLiteral("bottom, flush right")},
        {taCenter, tlCenter, QStringLiteral("centre, centred")},
        {taLeftJustify, tlBottom, QStringLiteral("top, flush left")},
    };
    x = 500;
    for (const Align &a : aligns) {
        TTategakiTextParams p;
        p.Alignment = a.a;
        p.Layout = a.l;
        p.MultiLine = true;
        p.LineMargin = 4;
        new SampleBox(&sheet, QRect(x, 420, 80, 160), mincho16, sjis(QStringLiteral("みかきもり\r\nゑしのたくひの")), p);
        sheet.note({x, 584}, a.note, 80);
        x += 90;
    }

    // Horizontal writing and a disabled label.
    auto *horizontal = new TLabelTategaki(&sheet);
    horizontal->setFont(fonts::font(fonts::MSPGothic, 16));
    horizontal->setTategaki(false);
    horizontal->setColor(colors::clWhite);
    horizontal->move(780, 420);
    horizontal->setCaption(sjis(QStringLiteral("横書きもできます（Tategaki False）")));
    sheet.note({780, 444}, QStringLiteral("horizontal, AutoSize"), 200);

    auto *disabled = new TLabelTategaki(&sheet);
    disabled->setFont(fonts::font(QStringLiteral("@") + fonts::System, 19, true));
    disabled->setCaption(sjis(QStringLiteral("使えないラベル")));
    disabled->move(780, 480);
    disabled->setEnabled(false);
    sheet.note({760, 480 + disabled->height() + 4}, QStringLiteral("disabled (embossed)"), 120);

    auto *transparent = new TLabelTategaki(&sheet);
    transparent->setFont(fonts::font(QStringLiteral("@") + fonts::System, 19, true));
    transparent->setTransparent(true);
    transparent->setCaption(sjis(QStringLiteral("透明なラベル")));
    transparent->move(900, 480);
    sheet.note({880, 480 + transparent->height() + 4}, QStringLiteral("Transparent"), 120);

    const QPixmap shot = sheet.grab();
    if (!shot.save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\n", qPrintable(out));
    return SaveButtonSheet(ButtonSheetPath(out)) ? 0 : 1;
}
