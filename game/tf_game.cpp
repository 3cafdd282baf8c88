#include "tf_game.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QPainter>
#include <QMenu>
#include <QTimer>

#include "deck/poemtable.h"
#include "game/decidedmark.h"
#include "game/historytake.h"
#include "play/readinglabel.h"
#include "history/recorder.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/quietsound.h"
#include "platform/ui/kit.h"
#include "records/kirokutoroku.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/speedbuttontategaki.h"
#include "voice/readingoption.h"

using namespace platform;
using namespace platform::ui;
using tategaki::TLabelTategaki;
using tategaki::TSpeedButtonTategaki;

TF_24 *F_24 = nullptr;
TF_44 *F_44 = nullptr;
TF_84 *F_84 = nullptr;

namespace {

const QColor kWrongTakeFrame{255, 140, 0}; // orange

// A frame over a card, drawn in a colour of its own (neither the blue of a
// take nor the red of a miss). It lets every click through to the card.
class CardFrame : public QWidget {
public:
    explicit CardFrame(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        constexpr int width = 4;
        QPainter p(this);
        p.setPen(QPen(kWrongTakeFrame, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(width / 2.0 + 1, width / 2.0 + 1, -width / 2.0 - 1, -width / 2.0 - 1));
    }
};

// Free places beside the score for the reading's number, the last take's
// points and the "読み上げ" box; none on the L board, whose controls fill the
// window to its edges (its context menu offers 読み上げ).
struct FeedbackPlaces {
    QRect reading;
    QRect lastTake;
    QRect yomiage;
};

FeedbackPlaces feedbackPlaces(game::BoardSize size)
{
    switch (size) {
    case game::BoardSize::S: return {QRect(468, 4, 64, 16), QRect(538, 49, 45, 15), QRect(466, 47, 70, 16)};
    case game::BoardSize::M: return {QRect(736, 408, 49, 16), QRect(736, 426, 49, 16), QRect(731, 446, 61, 16)};
    case game::BoardSize::L: return {};
    }
    Q_UNREACHABLE();
}

QLabel *feedbackLabel(QWidget *parent, const char *name, const QRect &bounds)
{
    if (bounds.isNull())
        return nullptr;
    return kit::label(parent, QLatin1String(name), bounds, fonts::font(fonts::MSPGothic, 12, true), colors::clBlack,
                      Qt::AlignRight | Qt::AlignVCenter);
}

} // namespace

TF_Game::TF_Game(game::BoardSize size, const Needs &needs, QWidget *parent)
    : Form(QStringLiteral("琴葉ゲーム"), game::layoutOf(size).client, parent),
      needs_(needs),
      board_(game::boardOf(size)),
      game_(board_.FudaSu, board_.YomiSu),
      reader_(needs.services)
{
    setObjectName(board_.windowName);
    setFont(fonts::font(fonts::MSPGothic, 12));
    const game::BoardLayout &at = game::layoutOf(board_.size);

    // The sort buttons of the M board are narrower than their captions.
    const QFont buttonFont = fonts::font(fonts::System, 19);
    BtnShow = kit::button(this, QStringLiteral("BtnShow"), QStringLiteral("札を表示"), at.BtnShow,
                          buttonFont, kit::NarrowToFit);
    BtnStart = kit::button(this, QStringLiteral("BtnStart"), QStringLiteral("読み開始"), at.BtnStart,
                           buttonFont, kit::NarrowToFit);
    BtnYomijun = kit::button(this, QStringLiteral("BtnYomijun"), QStringLiteral("並替(読み札順)"), at.BtnYomijun,
                             buttonFont, kit::NarrowToFit);
    BtnTorijun = kit::button(this, QStringLiteral("BtnTorijun"), QStringLiteral("並替(取り札順)"), at.BtnTorijun,
                             buttonFont, kit::NarrowToFit);
    BtnReset = kit::button(this, QStringLiteral("BtnReset"), QStringLiteral("リセット"), at.BtnReset,
                           buttonFont, kit::NarrowToFit);
    BtnClose = kit::button(this, QStringLiteral("BtnClose"), QStringLiteral("終了"), at.BtnClose,
                           buttonFont, kit::NarrowToFit);
    BtnStart->setEnabled(false);
    BtnYomijun->setEnabled(false);
    BtnTorijun->setEnabled(false);
    setTabOrder(BtnShow, BtnStart);
    setTabOrder(BtnStart, BtnYomijun);
    setTabOrder(BtnYomijun, BtnTorijun);
    setTabOrder(BtnTorijun, BtnReset);
    setTabOrder(BtnReset, BtnClose);

    Label1 = new QLabel(QStringLiteral("得点"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(at.Label1);
    Label1->setFont(fonts::font(fonts::System, 19, true));
    kit::setTextColor(Label1, colors::clBlack);

    PTokuten = kit::panel(this, QStringLiteral("PTokuten"), at.PTokuten, colors::clWhite);
    PTokuten->setFont(fonts::font(fonts::System, 19, true));
    PTokuten->setFontColor(colors::clBlack);
    PTokuten->setCaptionAlignment(Qt::AlignRight);
    PTokuten->setCaption(QStringLiteral("0"));

    Panel2 = kit::panel(this, QStringLiteral("Panel2"), at.Panel2);

    Panel1 = new Panel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(at.Panel1);
    Panel1->setColor(colors::clHighlightText);
    Panel1->setBevels(Bevel::None, Bevel::Raised, 1);
    Panel1->setBorderLine(true);

    // One size for both labels, so that the two lines read as one poem.
    lt1 = play::readingLabel(Panel1, "lt1", 1, at.lt1);
    lt2 = play::readingLabel(Panel1, "lt2", 2, at.lt2);
    Kimari = new DecidedMark(Panel1);

    const QFont cardFont = fonts::font(QStringLiteral("@") + fonts::MSMincho, 16, true);
    for (int k = 1; k <= board_.FudaSu; ++k) {
        auto *b = new TSpeedButtonTategaki(Panel2);
        b->setObjectName(QStringLiteral("sbt%1").arg(k));
        b->setTag(k);
        b->setGeometry(game::cardRect(board_.YokoSu, k));
        b->setAllowAllUp(true);
        b->setHideFrame(false);
        b->setColor(colors::clBtnFace);
        b->setFont(cardFont);
        b->setImageIndex(0);
        b->setLayout(tategaki::blGlyphTop);
        b->setMultiLine(true);
        b->setNumImages(1);
        b->setTategaki(true);
        b->setEnabled(false);
        b->OnClick = [this](QObject *sender) { sbt1Click(sender); };
    }

    WrongMark = new CardFrame(Panel2);
    WrongMark->setObjectName(QStringLiteral("WrongMark"));
    const FeedbackPlaces places = feedbackPlaces(size);
    LblYomiNo = feedbackLabel(this, "LblYomiNo", places.reading);
    LblLastTake = feedbackLabel(this, "LblLastTake", places.lastTake);
    if (!places.yomiage.isNull()) {
        CbYomiage = new QCheckBox(QStringLiteral("読み上げ"), this);
        CbYomiage->setObjectName(QStringLiteral("CbYomiage"));
        CbYomiage->setGeometry(places.yomiage);
        CbYomiage->setFont(kit::fittedFont(fonts::font(fonts::MSPGothic, 12), CbYomiage->text(), places.yomiage.width() - 20));
        CbYomiage->setFocusPolicy(Qt::NoFocus); // the buttons' tab order stays as it was
        QPalette pal = CbYomiage->palette();
        pal.setColor(QPalette::Disabled, QPalette::WindowText, colors::clGrayText);
        CbYomiage->setPalette(pal);
        voice::connectGameReading(needs_.services, needs_.voice, CbYomiage);
    }

    // Precise: the next tick is due a whole interval after the last one was
    // due, not after it was handled, so a reading keeps its pace.
    Timer1 = new TickTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(0); // not running until a reading starts
    connect(Timer1, &TickTimer::timeout, this, &TF_Game::Timer1Timer);

    connect(BtnShow, &QPushButton::clicked, this, &TF_Game::BtnShowClick);
    connect(BtnStart, &QPushButton::clicked, this, &TF_Game::BtnStartClick);
    connect(BtnYomijun, &QPushButton::clicked, this, &TF_Game::BtnYomijunClick);
    connect(BtnTorijun, &QPushButton::clicked, this, &TF_Game::BtnTorijunClick);
    connect(BtnReset, &QPushButton::clicked, this, &TF_Game::BtnResetClick);
    connect(BtnClose, &QPushButton::clicked, this, &TF_Game::BtnCloseClick);
}

TF_Game::~TF_Game() = default;

TSpeedButtonTategaki *TF_Game::card(int k) const
{
    return findControl<TSpeedButtonTategaki>(Panel2, QStringLiteral("sbt"), k);
}

void TF_Game::setCard(int k, const QByteArray &caption, bool enabled)
{
    TSpeedButtonTategaki *b = card(k);
    b->setCaption(caption);
    b->setColor(colors::clBtnFace);
    b->setEnabled(enabled);
}

void TF_Game::markCard(int k, const QColor &color)
{
    TSpeedButtonTategaki *b = card(k);
    b->setColor(color);
    b->setEnabled(false);
}

void TF_Game::showBoard()
{
    for (int k = 1; k <= board_.FudaSu; ++k)
        setCard(k, game_.Torifuda[static_cast<std::size_t>(k)].Shimonoku.toByteArray(), false);
}

void TF_Game::appendByte(TLabelTategaki *label, char byte)
{
    QByteArray caption = label->Caption();
    caption.append(byte);
    label->setCaption(caption);
}

void TF_Game::showWholeVerses()
{
    lt1->setCaption(game_.reading().Kaminoku.toByteArray());
    lt2->setCaption(game_.reading().Shimonoku.toByteArray());
}

void TF_Game::addToScore(int points)
{
    const int score = toInt(PTokuten->caption()) + points;
    PTokuten->setCaption(QString::number(score));
}

void TF_Game::showFeedback(const QString &reading, const QString &lastTake)
{
    if (LblYomiNo)
        LblYomiNo->setText(reading);
    if (LblLastTake)
        LblLastTake->setText(lastTake);
}

void TF_Game::markWrongCard(const QWidget *clicked)
{
    if (!clicked) {
        WrongMark->hide();
        return;
    }
    WrongMark->setGeometry(clicked->geometry());
    WrongMark->raise();
    WrongMark->show();
}

void TF_Game::BtnShowClick()
{
    BtnShow->setEnabled(false);
    BtnStart->setEnabled(true);
    BtnYomijun->setEnabled(true);
    BtnTorijun->setEnabled(true);

    PTokuten->setCaption(QStringLiteral("0"));
    lt1->setCaption(QByteArray());
    lt2->setCaption(QByteArray());
    Kimari->hide();

    needs_.rng.reseed(needs_.services.clock->utcTimeOfDay());
    game_.deal(needs_.poems, needs_.rng);
    session_ = needs_.recorder.newSession(game::historyMode(board_.size));
    showBoard();
    MakeYomijun();
    BtnStart->setFocus();
    markWrongCard(nullptr);
    showFeedback({}, {});
}

void TF_Game::MakeYomijun()
{
    game_.MakeYomijun(needs_.rng);
}

void TF_Game::sortBoard(game::SortKey key)
{
    game_.sort(key);
    showBoard();
    MakeYomijun();
}

void TF_Game::BtnYomijunClick()
{
    sortBoard(game::SortKey::Kaminoku);
}

void TF_Game::BtnTorijunClick()
{
    sortBoard(game::SortKey::Shimonoku);
}

void TF_Game::BtnResetClick()
{
    BtnShow->setEnabled(true);
    BtnStart->setEnabled(false);
    BtnYomijun->setEnabled(false);
    BtnTorijun->setEnabled(false);

    PTokuten->setCaption(QStringLiteral("0"));
    game_.reset();
    lt1->setCaption(QByteArray());
    lt2->setCaption(QByteArray());
    Kimari->hide();

    BtnShow->setFocus();
    kit::setInterval(Timer1, 0);
    reader_.stop();
    for (int k = 1; k <= board_.FudaSu; ++k)
        setCard(k, QByteArray(), false);
    markWrongCard(nullptr);
    showFeedback({}, {});
}

void TF_Game::BtnCloseClick()
{
    closeAndShowMain();
}

void TF_Game::contextMenuEvent(QContextMenuEvent *event)
{
    const voice::Status st = voice::status(needs_.services);
    QMenu menu(this);
    menu.setToolTipsVisible(true);
    QAction *reading = menu.addAction(QStringLiteral("読み上げ"));
    reading->setCheckable(true);
    reading->setChecked(needs_.voice.gameReading);
    reading->setEnabled(st.usable);
    reading->setToolTip(st.detail);
    QAction *beep = menu.addAction(QStringLiteral("読み上げ中もビープ音を鳴らす"));
    beep->setCheckable(true);
    beep->setChecked(needs_.voice.beepWhileReading);
    beep->setEnabled(st.usable);
    if (!st.usable)
        menu.addAction(st.detail)->setEnabled(false);
    QAction *chosen = menu.exec(event->globalPos());
    if (chosen == reading) {
        voice::setGameReading(needs_.services, needs_.voice, reading->isChecked());
        if (CbYomiage)
            voice::showGameReading(needs_.services, needs_.voice, CbYomiage);
    } else if (chosen == beep) {
        needs_.voice.beepWhileReading = beep->isChecked();
    }
}

void TF_Game::FormShow()
{
    if (CbYomiage)
        voice::showGameReading(needs_.services, needs_.voice, CbYomiage);
    BtnShow->setFocus();
    MP1 = openQuietly(needs_.services, QStringLiteral("Push.wav"));
    MP2 = openQuietly(needs_.services, QStringLiteral("Close.wav"));
}

void TF_Game::FormHide()
{
    BtnResetClick();
    reader_.stop();
    closeQuietly(MP1);
    closeQuietly(MP2);
}

void TF_Game::BtnStartClick()
{
    // The start button goes off while it has the focus, and Qt would hand
    // the focus on to "リセット", where the next Space clears the game. The
    // board takes it instead: no key does anything there.
    Panel2->setFocus();
    BtnStart->setEnabled(false);
    BtnYomijun->setEnabled(false);
    BtnTorijun->setEnabled(false);

    lt1->setCaption(QByteArray());
    lt2->setCaption(QByteArray());
    Kimari->hide();

    if (game_.startReading(needs_.poems)) {
        for (int k = 1; k <= board_.FudaSu; ++k)
            card(k)->setEnabled(true);
    }
    // Reaction times count from the tick that decides the poem by sound, given
    // this game's earlier readings: the tick the mark beside the verse shows.
    readingClock_.start(needs_.services.monotonic->elapsedMs(), game_.decidedTick(), deck::kTickMs);
    markWrongCard(nullptr);
    showFeedback(QStringLiteral("%1 / %2").arg(game_.YomiNo).arg(game_.YomiSu()), {});
    // The clips are opened now so that each half starts on its tick.
    if (needs_.voice.gameReading)
        reader_.prepare(needs_.poems.numberOf(game_.reading()));
    else
        reader_.stop();
    Timer1->start(deck::kTickMs);
}

void TF_Game::Timer1Timer()
{
    const game::TickStep step = game_.tick();
    switch (step.kind) {
    case game::TickStep::Kind::None:
        return;
    case game::TickStep::Kind::Kaminoku:
    case game::TickStep::Kind::Shimonoku:
        if (step.hasByte)
            appendByte(step.kind == game::TickStep::Kind::Kaminoku ? lt1 : lt2, step.byte);
        readingClock_.ticked(game_.Keika(), needs_.services.monotonic->elapsedMs());
        // The voice keeps the time itself; the beep would only cover it.
        if (step.beep && (reader_.poem() == 0 || needs_.voice.beepWhileReading))
            needs_.services.beeper->beep();
        if (step.decided)
            Kimari->placeAtEndOf(lt1);
        // Each half is timed from the tick that shows its first byte.
        if (step.startsHalf)
            reader_.speak(step.half());
        return;
    case game::TickStep::Kind::TimeOut:
        kit::setInterval(Timer1, 0);
        BtnStart->setEnabled(true);
        BtnStart->setFocus();
        markCard(step.missedCard, colors::clRed);
        recordTake(std::nullopt, 0);
        showFeedback(LblYomiNo ? LblYomiNo->text() : QString(), QStringLiteral("+0"));
        if (step.gameOver)
            endOfGame();
        return;
    }
}

void TF_Game::sbt1Click(QObject *Sender)
{
    auto *clicked = qobject_cast<TSpeedButtonTategaki *>(Sender);
    if (!clicked || clicked->parentWidget() != Panel2)
        return;
    const game::Verdict take = game_.take(clicked->Tag());
    if (take.kind == game::Verdict::Kind::Ignored)
        return;

    kit::setInterval(Timer1, 0);
    recordTake(take.kind, clicked->Tag());
    BtnStart->setEnabled(true);
    BtnStart->setFocus();
    if (take.kind == game::Verdict::Kind::Correct) {
        clicked->setColor(colors::clBlue);
        addToScore(take.points);
        clicked->setEnabled(false);
        playQuietly(MP1.get());
    } else {
        markCard(take.rightCard, colors::clRed);
        markWrongCard(clicked);
        playQuietly(MP2.get());
    }
    showFeedback(LblYomiNo ? LblYomiNo->text() : QString(), QStringLiteral("+%1").arg(take.points));
    showWholeVerses();
    if (take.gameOver)
        endOfGame();
}

void TF_Game::recordTake(std::optional<game::Verdict::Kind> verdict, int tag)
{
    const qint64 now = needs_.services.monotonic->elapsedMs();
    needs_.recorder.record(game::historyTake(needs_.poems, game_, board_.size, session_, verdict, tag,
                                             readingClock_.sinceStart(now), readingClock_.sinceDeciding(now)));
}

void TF_Game::endOfGame()
{
    BtnShow->setEnabled(true);
    BtnStart->setEnabled(false);
    // The next step is a new deal; without this the focus would drift to
    // "リセット" when the start button goes off.
    BtnShow->setFocus();
    // The records file's troubles are reported by the window's error display;
    // the board stays playable either way.
    const QString tokuten = PTokuten->caption();
    guarded(*needs_.services.errors, [&] { records::KirokuToroku(needs_.services, tokuten, board_.recordsFile); });
}

TF_24::TF_24(const Needs &needs, QWidget *parent) : TF_Game(game::BoardSize::S, needs, parent) {}

TF_44::TF_44(const Needs &needs, QWidget *parent) : TF_Game(game::BoardSize::M, needs, parent) {}

TF_84::TF_84(const Needs &needs, QWidget *parent) : TF_Game(game::BoardSize::L, needs, parent) {}
