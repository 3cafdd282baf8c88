#include "tf_nagashi.h"

#include <QComboBox>
#include <QKeyEvent>

#include <numeric>

#include "deck/poemtable.h"
#include "play/cardface.h"
#include "play/cardsize.h"
#include "play/readinglabel.h"
#include "history/recorder.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/services.h"
#include "platform/ui/kit.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/speedbuttontategaki.h"
#include "play/drillsets.h"
#include "play/setchoice.h"

using namespace platform;
using namespace platform::ui;

TF_Nagashi *F_Nagashi = nullptr;

namespace {

// The game's card at twice its size, so that it reads at a glance.
constexpr int kCardScale = 2;

QString cardLine(const nagashi::CardResult &r)
{
    return QStringLiteral("  %1「%2」 %3").arg(r.poem, 3).arg(nagashi::decidingSyllables(r.poem), nagashi::seconds(r.ms));
}

// A miss with what was picked in its place; a flipped card graded not known has none.
QString missLine(const nagashi::CardResult &r)
{
    return cardLine(r) + (r.chosen ? QStringLiteral(" → %1「%2」").arg(r.chosen).arg(nagashi::decidingSyllables(r.chosen))
                                   : QStringLiteral(" → 思い出せず"));
}

// The totals and what a re-drill asks come first, in sight without scrolling;
// the lists follow.
QString summaryText(const nagashi::Summary &s, int cards)
{
    QStringList lines;
    lines << QStringLiteral("合計 %1　%2枚中 正解%3枚・誤答%4枚")
                 .arg(nagashi::seconds(s.totalMs))
                 .arg(cards)
                 .arg(s.right)
                 .arg(s.misses.size());
    lines << QStringLiteral("再ドリル: 誤答の札と、遅かった札のうち正解の中央値より遅い札 (計%1枚)").arg(s.redrill.size());
    lines << QStringLiteral("誤答 (%1枚、→ の後は選んだ札):").arg(s.misses.size());
    for (const nagashi::CardResult &r : s.misses)
        lines << missLine(r);
    lines << QStringLiteral("遅かった札 (正解のうち遅い順に%1枚):").arg(s.slowest.size());
    for (const nagashi::CardResult &r : s.slowest)
        lines << cardLine(r);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TF_Nagashi::TF_Nagashi(const Needs &needs, QWidget *parent)
    : Form(QStringLiteral("琴葉札流し"), QSize(600, 460), parent), needs_(needs)
{
    setObjectName(QStringLiteral("F_Nagashi"));
    setFont(fonts::font(fonts::MSPGothic, 12));
    // The form holds the focus during a run, so that Space and the digits
    // reach its key handler rather than a button.
    setFocusPolicy(Qt::StrongFocus);

    const QFont plain = fonts::font(fonts::MSPGothic, 14);
    kit::label(this, QStringLiteral("LblSet"), QRect(10, 14, 70, 20), plain, colors::clWindowText)
        ->setText(QStringLiteral("出題範囲"));
    CmbSet = new QComboBox(this);
    CmbSet->setObjectName(QStringLiteral("CmbSet"));
    CmbSet->setGeometry(80, 10, 200, 28);
    play::refillSetChoices(CmbSet);
    kit::label(this, QStringLiteral("LblAnswer"), QRect(296, 14, 54, 20), plain, colors::clWindowText)
        ->setText(QStringLiteral("答え方"));
    CmbAnswer = new QComboBox(this);
    CmbAnswer->setObjectName(QStringLiteral("CmbAnswer"));
    CmbAnswer->setGeometry(350, 10, 240, 28);
    CmbAnswer->addItem(QStringLiteral("決まり字を選ぶ (1〜4キー)"));
    CmbAnswer->addItem(QStringLiteral("めくって自己採点 (Spaceキー)"));

    LblHow = kit::label(this, QStringLiteral("LblHow"), QRect(10, 44, 580, 40), plain, colors::clWindowText);
    LblHow->setWordWrap(true);

    const QSize cardSize(play::kCardWidth * kCardScale, play::kCardHeight * kCardScale);
    PnlCard = kit::panel(this, QStringLiteral("PnlCard"), QRect(10, 92, cardSize.width() + 40, 290));
    Card = new tategaki::TSpeedButtonTategaki(PnlCard);
    Card->setObjectName(QStringLiteral("Card"));
    Card->setGeometry(QRect(QPoint(20, (290 - cardSize.height()) / 2), cardSize));
    Card->setHideFrame(false);
    Card->setColor(colors::clBtnFace);
    Card->setFont(fonts::font(QStringLiteral("@") + fonts::MSMincho, 16 * kCardScale, true));
    Card->setLayout(tategaki::blGlyphTop);
    Card->setMultiLine(true);
    Card->setTategaki(true);
    Card->setFocusPolicy(Qt::NoFocus);

    // Where the choices are when picking, which flipping hides.
    LtKaminoku = play::readingLabel(this, "LtKaminoku", 1, QRect(200, 92, 150, 290));
    LtKaminoku->setFont(fonts::font(QStringLiteral("@") + fonts::MSMincho, 26, true));
    LtKaminoku->setLineMargin(16);

    const QFont choiceFont = fonts::font(fonts::MSPGothic, 19, true);
    for (int i = 0; i < nagashi::kChoiceCount; ++i) {
        QPushButton *b = kit::button(this, QStringLiteral("BtnChoice%1").arg(i + 1), QString(),
                                     QRect(262, 92 + 62 * i, 328, 50), choiceFont);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, i] { ChoiceClick(i); });
        BtnChoice[std::size_t(i)] = b;
    }

    TxtSummary = new QPlainTextEdit(this);
    TxtSummary->setObjectName(QStringLiteral("TxtSummary"));
    TxtSummary->setGeometry(200, 92, 390, 290);
    TxtSummary->setReadOnly(true);
    TxtSummary->setFont(fonts::font(fonts::MSGothic, 14));
    TxtSummary->setFocusPolicy(Qt::ClickFocus);

    LblProgress = kit::label(this, QStringLiteral("LblProgress"), QRect(10, 388, 170, 20), plain, colors::clWindowText);
    LblLast = kit::label(this, QStringLiteral("LblLast"), QRect(200, 388, 390, 20), plain, colors::clWindowText);

    const QFont buttonFont = fonts::font(fonts::System, 19);
    BtnStart = kit::button(this, QStringLiteral("BtnStart"), QStringLiteral("開始"), QRect(200, 414, 120, 36), buttonFont);
    BtnRedrill = kit::button(this, QStringLiteral("BtnRedrill"), QStringLiteral("再ドリル"), QRect(330, 414, 130, 36),
                             buttonFont, kit::NarrowToFit);
    BtnClose = kit::button(this, QStringLiteral("BtnClose"), QStringLiteral("終了"), QRect(470, 414, 120, 36), buttonFont);
    setTabOrder(CmbSet, CmbAnswer);
    setTabOrder(CmbAnswer, BtnStart);
    setTabOrder(BtnStart, BtnRedrill);
    setTabOrder(BtnRedrill, BtnClose);

    connect(BtnStart, &QPushButton::clicked, this, &TF_Nagashi::BtnStartClick);
    connect(BtnRedrill, &QPushButton::clicked, this, &TF_Nagashi::BtnRedrillClick);
    connect(BtnClose, &QPushButton::clicked, this, &TF_Nagashi::BtnCloseClick);
    connect(CmbAnswer, &QComboBox::currentIndexChanged, this, &TF_Nagashi::showHow);
    // A re-drill belongs to the set it came from: another set chosen, it goes.
    connect(CmbSet, &QComboBox::currentIndexChanged, this, [this] {
        summary_.redrill.clear();
        BtnRedrill->setEnabled(false);
    });

    BtnRedrill->setEnabled(false);
    setIdle(true);
    showHow();
}

TF_Nagashi::~TF_Nagashi() = default;

qint64 TF_Nagashi::now() const
{
    return needs_.services.monotonic->elapsedMs();
}

void TF_Nagashi::FormShow()
{
    // Own sets may have been made or edited in the quiz meanwhile.
    if (!running_)
        play::refillSetChoices(CmbSet);
    BtnStart->setFocus();
}

void TF_Nagashi::FormHide()
{
    // An unfinished run is dropped; the cards answered are in the history already.
    if (running_) {
        running_ = false;
        setIdle(true);
        Card->setCaption(QByteArray());
        LtKaminoku->setCaption(QByteArray());
        LblProgress->clear();
    }
}

void TF_Nagashi::showHow()
{
    if (!flipping()) {
        LblHow->setText(QStringLiteral("札の下の句を見て、その歌の決まり字を 1〜4 のキー (またはクリック) で選んでください。"
                                       "札が出てから選ぶまでの時間を計ります。"));
    } else if (!flipped_) {
        LblHow->setText(QStringLiteral("札の下の句を見て上の句を思い出したら Space でめくってください。"
                                       "札が出てからめくるまでの時間を計ります。"));
    } else {
        LblHow->setText(QStringLiteral("上の句を確かめて採点してください: 思い出せた → J (または →)、"
                                       "思い出せなかった → F (または ←)。"));
    }
}

void TF_Nagashi::setIdle(bool idle)
{
    CmbSet->setEnabled(idle);
    CmbAnswer->setEnabled(idle);
    BtnStart->setEnabled(idle);
    BtnRedrill->setEnabled(idle && !summary_.redrill.isEmpty());
    TxtSummary->setVisible(idle);
    LtKaminoku->setVisible(!idle && flipping());
    for (QPushButton *b : BtnChoice)
        b->setVisible(!idle && !flipping());
}

void TF_Nagashi::BtnStartClick()
{
    QList<deck::PoemNo> poems = play::chosenPoems(CmbSet);
    if (poems.isEmpty()) { // 全百首
        poems.resize(deck::kPoemCount);
        std::iota(poems.begin(), poems.end(), 1);
    }
    startRun(poems);
}

void TF_Nagashi::BtnRedrillClick()
{
    startRun(summary_.redrill);
}

void TF_Nagashi::startRun(const QList<deck::PoemNo> &poems)
{
    if (running_ || poems.isEmpty())
        return;
    // Each run from a fresh seed: the shared generator starts from the same
    // state at every start of the program.
    needs_.rng.reseed(needs_.services.clock->utcTimeOfDay());
    order_ = play::drawSetOrder(needs_.rng, poems);
    position_ = 0;
    results_.clear();
    session_ = needs_.recorder.newSession(history::Mode::Nagashi);
    running_ = true;
    setIdle(false);
    LblLast->clear();
    setFocus();
    runStartedAt_ = now();
    showCard();
}

void TF_Nagashi::showCard()
{
    const deck::PoemNo poem = order_[position_];
    flipped_ = false;
    LtKaminoku->setCaption(QByteArray());
    Card->setCaption(play::evenColumns(needs_.poems[poem].Shimonoku.toByteArray()));
    if (!flipping()) {
        choices_ = nagashi::drawChoices(needs_.rng, poem);
        for (int i = 0; i < nagashi::kChoiceCount; ++i) {
            BtnChoice[std::size_t(i)]->setText(
                QStringLiteral("%1  %2").arg(i + 1).arg(nagashi::decidingSyllables(choices_.poems[std::size_t(i)])));
        }
    }
    showHow();
    LblProgress->setText(QStringLiteral("%1 / %2枚").arg(position_ + 1).arg(order_.size()));
    shownAt_ = now();
}

void TF_Nagashi::ChoiceClick(int index)
{
    if (!running_ || flipping() || index < 0 || index >= nagashi::kChoiceCount)
        return;
    const deck::PoemNo picked = choices_.poems[std::size_t(index)];
    finishCard(index == choices_.answer, picked, now() - shownAt_);
}

void TF_Nagashi::Flip()
{
    if (!running_ || !flipping() || flipped_)
        return;
    flipMs_ = now() - shownAt_;
    flipped_ = true;
    // In the card's three columns too, so that its longest fits the card's height.
    LtKaminoku->setCaption(play::evenColumns(needs_.poems[order_[position_]].Kaminoku.toByteArray()));
    showHow();
}

void TF_Nagashi::Grade(bool knew)
{
    if (!running_ || !flipped_)
        return;
    finishCard(knew, 0, flipMs_);
}

void TF_Nagashi::finishCard(bool right, deck::PoemNo chosen, qint64 ms)
{
    const nagashi::CardResult r{order_[position_], ms, right, right ? 0 : chosen};
    results_ << r;
    needs_.recorder.record(nagashi::cardTake(session_, r, flipping()));
    LblLast->setText(QStringLiteral("直前の札: %1「%2」 %3 %4")
                         .arg(r.poem)
                         .arg(nagashi::decidingSyllables(r.poem), nagashi::seconds(r.ms),
                              right ? QStringLiteral("正解") : QStringLiteral("誤答")));
    if (++position_ < order_.size())
        showCard();
    else
        endRun();
}

void TF_Nagashi::endRun()
{
    running_ = false;
    flipped_ = false;
    summary_ = nagashi::summarise(results_, now() - runStartedAt_);
    Card->setCaption(QByteArray());
    LtKaminoku->setCaption(QByteArray());
    TxtSummary->setPlainText(summaryText(summary_, int(results_.size())));
    setIdle(true);
    showHow();
    (BtnRedrill->isEnabled() ? BtnRedrill : BtnStart)->setFocus();
}

void TF_Nagashi::BtnCloseClick()
{
    closeAndShowMain();
}

void TF_Nagashi::keyPressEvent(QKeyEvent *event)
{
    const bool bare = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!running_ || !bare) {
        Form::keyPressEvent(event);
        return;
    }
    // A held key acts once.
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    const int key = event->key();
    if (!flipping() && key >= Qt::Key_1 && key < Qt::Key_1 + nagashi::kChoiceCount)
        ChoiceClick(key - Qt::Key_1);
    else if (flipping() && key == Qt::Key_Space)
        Flip();
    else if (flipping() && (key == Qt::Key_J || key == Qt::Key_Right))
        Grade(true);
    else if (flipping() && (key == Qt::Key_F || key == Qt::Key_Left))
        Grade(false);
    else {
        Form::keyPressEvent(event);
        return;
    }
    event->accept();
}
