#include "tf_position.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>

#include "deck/poemtable.h"
#include "history/recorder.h"
#include "play/cardface.h"
#include "play/floorgeometry.h"
#include "play/layoutstore.h"
#include "play/matchcard.h"
#include "position/tf_layout.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/services.h"
#include "platform/ui/kit.h"
#include "play/setchoice.h"

using namespace platform;
using namespace platform::ui;
using namespace match;

TF_Position *F_Position = nullptr;

namespace {

const QColor kBack{0, 96, 64}; // a card face down
// A card found and a card missed: light enough for the black text on them.
const QColor kFound{150, 200, 255};
const QColor kMissed{255, 140, 140};

QString seconds(qint64 ms)
{
    return QStringLiteral("%1秒").arg(double(ms) / 1000.0, 0, 'f', 2);
}

QString placeName(Place p)
{
    const int zone = zoneOf(rowOf(p.slot), !inLeftArea(p.slot));
    return (p.side == Side::Player ? QStringLiteral("自陣") : QStringLiteral("敵陣")) + zoneName(zone);
}

} // namespace

TF_Position::TF_Position(const Needs &needs, QWidget *parent)
    : FloorForm(needs, QStringLiteral("琴葉札の位置"), QStringLiteral("F_Position"),
                QStringLiteral("練習の途中です。終了しますか？"), parent)
{
    const QFont small = fonts::font(fonts::MSPGothic, 13);
    SpCount = new QSpinBox(this);
    SpCount->setObjectName(QStringLiteral("SpCount"));
    SpCount->setRange(kDrillMinCards, kDrillMaxCards);
    SpCount->setValue(20);
    SpCount->setSuffix(QStringLiteral("枚"));
    SpCount->setGeometry(8, 8, 64, 32);
    CbSet = new QComboBox(this);
    CbSet->setObjectName(QStringLiteral("CbSet"));
    CbSet->setGeometry(76, 8, 150, 32);
    play::refillSetChoices(CbSet);
    CbArrange = new QComboBox(this);
    CbArrange->setObjectName(QStringLiteral("CbArrange"));
    CbArrange->addItem(QStringLiteral("定位置に並べる"));
    CbArrange->addItem(QStringLiteral("配ったまま"));
    CbArrange->setGeometry(230, 8, 124, 32);
    BtnLayout = kit::button(this, QStringLiteral("BtnLayout"), QStringLiteral("定位置…"), QRect(358, 8, 76, 32), small);
    BtnDeal = kit::button(this, QStringLiteral("BtnDeal"), QStringLiteral("配る"), QRect(438, 8, 60, 32),
                          fonts::font(fonts::MSPGothic, 14, true));
    for (QWidget *w : {static_cast<QWidget *>(SpCount), static_cast<QWidget *>(CbSet),
                       static_cast<QWidget *>(CbArrange)})
        w->setFont(small);
    CbMemorise->setCurrentIndex(2);
    CbMemorise->setGeometry(506, 8, 92, 32);
    BtnMemorise->setGeometry(602, 8, 92, 32);
    BtnStartNow->setGeometry(698, 8, 100, 32);
    LblStatus->setGeometry(804, 8, 104, 32);
    LblStatus->setFont(fonts::font(fonts::MSPGothic, 13, true));
    // The deal's choices come first, before the memorisation's.
    QWidget *order[] = {BtnDeal, CbMemorise, BtnMemorise, BtnStartNow, BtnClose, CbYomiage};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    LblResult = new QLabel(PReading);
    LblResult->setObjectName(QStringLiteral("LblResult"));
    LblResult->setGeometry(4, 380, PReading->width() - 8, 240);
    LblResult->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    LblResult->setFont(fonts::font(fonts::MSPGothic, 13, true));
    LblResult->setWordWrap(true);

    // Three columns of the card's face side by side within its width, short
    // enough that the text, centred, leaves the foot for the end map's count.
    const QFont cardFont = fonts::font(QStringLiteral("@") + fonts::MSMincho, 11, true);
    for (int p = 1; p <= deck::kPoemCount; ++p)
        cardOf(p)->setFont(cardFont);
    // The count of misses, on each card of the end's map.
    const QFont markFont = fonts::font(fonts::MSPGothic, 11, true);
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        auto *mark = new QLabel(PField);
        mark->setAlignment(Qt::AlignCenter);
        mark->setFont(markFont);
        mark->setAutoFillBackground(true);
        QPalette pal = mark->palette();
        pal.setColor(QPalette::Window, colors::clYellow);
        pal.setColor(QPalette::WindowText, colors::clRed);
        mark->setPalette(pal);
        mark->setAttribute(Qt::WA_TransparentForMouseEvents);
        mark->hide();
        marks_[std::size_t(p)] = mark;
    }

    settingsPath = playerSettingsPath();
    connect(BtnDeal, &QPushButton::clicked, this, &TF_Position::BtnDealClick);
    connect(BtnLayout, &QPushButton::clicked, this, &TF_Position::BtnLayoutClick);
    // A set lays out all its cards (up to 50): the count is for the hundred.
    connect(CbSet, &QComboBox::currentIndexChanged, this,
            [this] { SpCount->setEnabled(play::chosenPoems(CbSet).isEmpty()); });
    for (QComboBox *box : {CbSet, CbArrange})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (phase_ == Phase::Arranging)
                newDrill(rng_.state);
        });
    connect(SpCount, &QSpinBox::valueChanged, this, [this] {
        if (phase_ == Phase::Arranging)
            newDrill(rng_.state);
    });
    // Dealt when shown: the deal reads the player's settings.
    drill_ = std::make_unique<PositionDrill>(Field{}, QList<int>{});
}

TF_Position::~TF_Position() = default;

QLabel *TF_Position::missMark(int poem) const
{
    return poem >= 1 && poem <= deck::kPoemCount ? marks_[std::size_t(poem)] : nullptr;
}

void TF_Position::newDrill(quint32 seed)
{
    standStill();
    memorisation_.stop();
    rng_.state = seed;
    QList<int> pool = play::chosenPoems(CbSet);
    const bool whole = pool.isEmpty();
    if (whole)
        for (int p = 1; p <= deck::kPoemCount; ++p)
            pool << p;
    const int count = whole ? SpCount->value() : kDrillMaxCards;
    Field field = drillField(drawPoems(rng_, pool, count));
    if (CbArrange->currentIndex() == 0) {
        field = arranged(field, Side::Player, playerLayout(settingsPath, *needs_.services.messages));
    }
    drill_ = std::make_unique<PositionDrill>(field, drillOrder(rng_, field));
    phase_ = Phase::Arranging;
    shownRead_ = 0;
    dragged_ = 0;
    layCards();
    clearVerses();
    LblResult->clear();
    Cursor->hide();
    setControls(true);
    LblStatus->setText(QStringLiteral("%1枚").arg(drill_->readings() / 2));
}

void TF_Position::setControls(bool idle)
{
    for (QWidget *w : {static_cast<QWidget *>(CbSet), static_cast<QWidget *>(CbArrange),
                       static_cast<QWidget *>(BtnLayout), static_cast<QWidget *>(BtnDeal),
                       static_cast<QWidget *>(CbMemorise), static_cast<QWidget *>(BtnMemorise),
                       static_cast<QWidget *>(BtnStartNow)})
        w->setEnabled(idle);
    SpCount->setEnabled(idle && play::chosenPoems(CbSet).isEmpty());
}

void TF_Position::showCard(int poem, bool faceUp)
{
    MatchCard *c = cardOf(poem);
    // Three even columns as on a real card.
    c->setCaption(faceUp ? play::evenColumns(needs_.poems[poem].Shimonoku.toByteArray()) : QByteArray());
    c->setColor(faceUp ? colors::clBtnFace : kBack);
}

void TF_Position::layCards()
{
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        MatchCard *c = cardOf(p);
        missMark(p)->hide();
        const std::optional<Place> at = drill_->field().find(p);
        if (!at) {
            c->hide();
            continue;
        }
        showCard(p, phase_ == Phase::Arranging || phase_ == Phase::Memorising || phase_ == Phase::Over);
        c->setEnabled(true);
        floor_.lay(p, *at);
    }
}

void TF_Position::FormShow()
{
    // Own sets may have been made or edited in the quiz meanwhile.
    play::refillSetChoices(CbSet);
    FloorForm::FormShow();
}

void TF_Position::BtnDealClick()
{
    newDrill(rng_.state);
}

void TF_Position::BtnLayoutClick()
{
    TF_Layout editor(playerLayout(settingsPath, *needs_.services.messages), *needs_.services.messages, this);
    editor.onSave = [this](const StandardLayout &l) { return writeLayout(settingsPath, l); };
    if (editor.exec() == QDialog::Accepted && CbArrange->currentIndex() == 0)
        newDrill(rng_.state);
}

void TF_Position::memorisationStarted()
{
    setControls(false);
    BtnStartNow->setEnabled(true);
}

QString TF_Position::countdownText(qint64 remainingMs) const
{
    return QStringLiteral("暗記 残り %1").arg(clockText(remainingMs));
}

void TF_Position::readingsStarting()
{
    setControls(false);
    dragged_ = 0;
    // Face down from here: the places are to be known by heart.
    phase_ = Phase::Waiting;
    layCards();
    // The frame stays in sight from here to the end: Space presses where it is.
    showCursor();
    session_ = needs_.recorder.newSession(history::Mode::Position);
}

bool TF_Position::nextReading()
{
    // The last reading's card and verdict go as the next opens, so that a
    // verdict is never taken for this reading's.
    if (MatchCard *c = cardOf(shownRead_))
        c->hide();
    shownRead_ = 0;
    LblResult->clear();
    return drill_->startReading();
}

void TF_Position::readingOpened()
{
    LblStatus->setText(QStringLiteral("第%1首/%2").arg(drill_->readingNumber()).arg(drill_->readings()));
}

void TF_Position::readingTimedOut()
{
    drill_->endReading();
    readingClosed();
}

void TF_Position::touchPlace(Place place, qint64 atMs)
{
    if (phase_ != Phase::Reading || !drill_->click(place, atMs))
        return;
    cursor_ = place;
    showCursor();
    readingClosed();
}

bool TF_Position::frameFollowsKeys() const
{
    return phase_ == Phase::Reading || phase_ == Phase::Waiting;
}

bool TF_Position::mayRearrange() const
{
    return phase_ == Phase::Arranging || phase_ == Phase::Memorising;
}

void TF_Position::moveOwnCard(int poem, Place from, Place to)
{
    const int other = drill_->field().at(to);
    if (drill_->rearrange(from.slot, to.slot)) {
        cardOf(poem)->setGeometry(placeRect(to));
        if (MatchCard *o = cardOf(other))
            o->setGeometry(placeRect(from));
    }
}

void TF_Position::readingClosed()
{
    using O = PositionDrill::Outcome;
    const PositionDrill::Reading &r = drill_->last();
    showVerses(r.poem);
    needs_.recorder.record(drillTake(r, session_, readingStartMs_, decidedMs_));
    // The card read is turned up where it lies until the next reading.
    if (r.lies) {
        showCard(r.poem, true);
        cardOf(r.poem)->setColor(r.outcome == O::Right ? kFound : kMissed);
        shownRead_ = r.poem;
    }
    const QString time = r.clicked ? seconds(r.clickedAtMs - readingStartMs_ - decidedMs_) : QString();
    switch (r.outcome) {
    case O::Right: LblResult->setText(QStringLiteral("正解\n決まってから\n%1").arg(time)); break;
    case O::Wrong:
        LblResult->setText(QStringLiteral("違います\n押した場所\n%1\n正しい場所\n%2\n決まってから\n%3")
                               .arg(placeName(*r.clicked), placeName(*r.lies), time));
        break;
    case O::Timeout: LblResult->setText(QStringLiteral("時間切れ\n正しい場所\n%1").arg(placeName(*r.lies))); break;
    case O::Dead: LblResult->setText(QStringLiteral("空札")); break;
    case O::Fault:
        needs_.services.beeper->beep();
        LblResult->setText(QStringLiteral("お手つき\n（空札）"));
        break;
    }
    startLeadIn(r.poem, true);
}

void TF_Position::showEnd()
{
    standStill();
    phase_ = Phase::Over;
    // The last reading's verses and the frame have nothing more to say.
    clearVerses();
    Cursor->hide();
    // The map: every card where it lay, face up, its misses marked.
    const Field &f = drill_->laidOut();
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        const std::optional<Place> at = f.find(p);
        if (!at)
            continue;
        MatchCard *c = cardOf(p);
        showCard(p, true);
        const int misses = drill_->misses(p);
        if (misses)
            c->setColor(kMissed);
        floor_.lay(p, *at);
        if (misses) {
            QLabel *mark = missMark(p);
            mark->setText(QStringLiteral("×%1").arg(misses));
            const QRect r = placeRect(*at);
            mark->setGeometry(r.x() + 4, r.bottom() - 16, r.width() - 8, 14);
            mark->raise();
            mark->show();
        }
    }
    const int cards = f.count(Side::Player) + f.count(Side::Opponent);
    LblResult->setText(QStringLiteral("終了\n正解 %1/%2\nお手つき %3\n\n赤い札が\n間違えた札")
                           .arg(drill_->right())
                           .arg(cards)
                           .arg(drill_->faults()));
    LblStatus->setText(QStringLiteral("終了"));
    setControls(true);
}

