#include "tf_training.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QtConcurrent/QtConcurrentRun>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalBlocker>

#include "deck/poemtable.h"
#include "play/drillsets.h"
#include "training/historytake.h"
#include "training/ownsetsdialog.h"
#include "training/question.h"
#include "play/setchoice.h"
#include "history/database.h"
#include "history/recorder.h"
#include "history/schedule.h"
#include "history/weak.h"
#include "platform/random.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/quietsound.h"
#include "platform/ui/kit.h"
#include "deck/spoken.h"

using namespace platform;
using namespace platform::ui;

TF_Training *F_Training = nullptr;

namespace {

// A verse row is 18 System cells wide (288 pixels).
QFont systemFont()
{
    return fonts::font(fonts::System, 19, true);
}

QColor textColor(const QWidget *w)
{
    return w->palette().color(QPalette::WindowText);
}

// A label sized to its text at a fixed origin. An opaque one (navy, the
// panel's colour) drawn above a verse label at the same origin and in the
// same font re-draws the head of the verse in its own colour.
QLabel *autoLabel(QWidget *parent, const QString &name, QPoint origin, const QFont &font, const QColor &color,
                  bool opaque)
{
    QLabel *l = kit::label(parent, name, QRect(origin, QSize(0, 0)), font, color);
    if (opaque) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, colors::clNavy);
        l->setPalette(pal);
        l->setAutoFillBackground(true);
    }
    return l;
}

// Exactly the text's advance wide, so that an opaque label hides the verse's
// head and nothing after it; no text, no width.
void setAutoText(QLabel *l, const QString &text)
{
    l->setText(text);
    const QFontMetrics fm(l->font());
    l->resize(text.isEmpty() ? 0 : fm.horizontalAdvance(text), fm.height());
}

void addTo(QLabel *counter, int delta)
{
    counter->setText(QString::number(toInt(counter->text()) + delta));
}

int tagOf(const QObject *control)
{
    return control ? control->property("Tag").toInt() : -1;
}

} // namespace

TF_Training::TF_Training(const Needs &needs, QWidget *parent, history::ScheduleCache *schedules)
    : Form(QStringLiteral("琴葉トレーニング"), QSize(592, 423), parent)
    , needs_(needs)
    , ownSchedules_(schedules ? nullptr : std::make_unique<history::ScheduleCache>())
    , schedules_(schedules ? schedules : ownSchedules_.get())
    , reader_(needs.services)
{
    setObjectName(QStringLiteral("F_Training"));
    setFont(fonts::font(fonts::MSPGothic, 12));
    buildLayout();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));

    connect(BtnShutudai, &QPushButton::clicked, this, &TF_Training::BtnShutudaiClick);
    connect(BtnClose, &QPushButton::clicked, this, &TF_Training::BtnCloseClick);
    for (int i = 0; i < training::kChoiceCount; ++i) {
        auto *b = findControl<QPushButton>(Panel1, QStringLiteral("Btn"), i);
        connect(b, &QPushButton::clicked, this, [this, b] { Btn0Click(b); });
    }
    connect(CbDrill, &QCheckBox::toggled, this, &TF_Training::drillChanged);
    connect(&weakLoad_, &QFutureWatcherBase::finished, this, &TF_Training::weakTakesLoaded);
    connect(schedules_, &history::ScheduleCache::ready, this, &TF_Training::scheduleReady);
    connect(CmbSet, &QComboBox::currentIndexChanged, this, [this] {
        const QVariant set = CmbSet->currentData();
        Review = set.isValid() && set.toInt() == kReviewItem;
        DrillPoems = play::chosenPoems(CmbSet);
        drillChanged();
    });
    connect(SpDrill, &QSpinBox::valueChanged, this, &TF_Training::drillChanged);
    connect(BtnSets, &QToolButton::clicked, this, &TF_Training::BtnSetsClick);
    TimerYomi = new QTimer(this);
    TimerYomi->setObjectName(QStringLiteral("TimerYomi"));
    TimerYomi->setSingleShot(true);
    connect(TimerYomi, &QTimer::timeout, this, &TF_Training::TimerYomiTimer);
    connect(Timer1, &QTimer::timeout, this, &TF_Training::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TF_Training::Timer2Timer);
}

TF_Training::~TF_Training() = default;

void TF_Training::buildLayout()
{
    const QFont system = systemFont();
    const QFont gothic19 = fonts::font(fonts::MSGothic, 19, true);
    const QFont pgothic19 = fonts::font(fonts::MSPGothic, 19, true);

    PnlHantei = kit::panel(this, QStringLiteral("PnlHantei"), QRect(24, 16, 177, 49), colors::clYellow);
    PnlHantei->setBevels(Bevel::Raised, Bevel::Raised, 1);
    PnlHantei->setFont(fonts::font(fonts::MSMincho, 37, true));
    PnlHantei->setFontColor(colors::clWindowText);

    Panel2 = kit::panel(this, QStringLiteral("Panel2"), QRect(216, 16, 353, 33));
    LblMondai = kit::label(Panel2, QStringLiteral("LblMondai"), QRect(4, 8, 343, 16), system, colors::clWhite);
    LblMondaiK = autoLabel(Panel2, QStringLiteral("LblMondaiK"), QPoint(4, 8), system, colors::clYellow, true);

    Panel4 = kit::panel(this, QStringLiteral("Panel4"), QRect(24, 80, 177, 177));
    addCounter(Panel4, QStringLiteral("問 題 数"), 16, LblMondaisu, "LblMondaisu", {}, 0);
    addCounter(Panel4, QStringLiteral("正 解 数"), 48, LblSeikai, "LblSeikai", {}, 0);
    addCounter(Panel4, QStringLiteral("誤 答 数"), 80, LblMachigai, "LblMachigai", {}, 0);
    addCounter(Panel4, QStringLiteral("正 解 率"), 112, LblSeikairitu, "LblSeikairitu", QStringLiteral("％"), 144);
    addCounter(Panel4, QStringLiteral("残り時間"), 144, LblNokoriJikan, "LblNokoriJikan", QStringLiteral("秒"), 143);

    Panel1 = kit::panel(this, QStringLiteral("Panel1"), QRect(216, 72, 353, 337));
    for (int i = 0; i < training::kChoiceCount; ++i) {
        auto *b = kit::button(Panel1, QStringLiteral("Btn%1").arg(i), QStringLiteral("(&%1)").arg(i),
                              QRect(8, 8 + 32 * i, 41, 33), gothic19, kit::EnterClicks);
        b->setProperty("Tag", i);
    }
    // Each deciding label is created after its verse so that it lies above it.
    for (int i = 0; i < training::kChoiceCount; ++i) {
        kit::label(Panel1, QStringLiteral("Lbl%1").arg(i), QRect(56, 16 + 32 * i, 288, 16), system, colors::clWhite);
        autoLabel(Panel1, QStringLiteral("LblK%1").arg(i), QPoint(56, 16 + 32 * i), system, colors::clYellow, true);
    }

    Panel10 = kit::panel(this, QStringLiteral("Panel10"), QRect(24, 264, 177, 49));
    CbIro = new QCheckBox(QStringLiteral("色分けあり"), Panel10);
    CbIro->setObjectName(QStringLiteral("CbIro"));
    CbIro->setGeometry(24, 16, 121, 17);
    CbIro->setFont(pgothic19);
    kit::setTextColor(CbIro, colors::clWhite);
    CbIro->setChecked(true);

    Panel3 = kit::panel(this, QStringLiteral("Panel3"), QRect(24, 320, 177, 89));
    BtnShutudai = kit::button(Panel3, QStringLiteral("BtnShutudai"), QStringLiteral("出題"), QRect(16, 8, 145, 33),
                              pgothic19, kit::EnterClicks);
    BtnClose = kit::button(Panel3, QStringLiteral("BtnClose"), QStringLiteral("終了"), QRect(16, 48, 145, 33), pgothic19,
                           kit::EnterClicks);

    // The options share the free strip between the question and the rows,
    // outside the Tab cycle, which stays the quiz's own: listening and its
    // pause, the set to drill and the weak-poem drill. Alt+D reaches the drill.
    CbKikitori = new QCheckBox(QStringLiteral("聞き取り"), this);
    CbKikitori->setObjectName(QStringLiteral("CbKikitori"));
    CbKikitori->setGeometry(216, 52, 68, 17);
    CbKikitori->setFocusPolicy(Qt::NoFocus);
    QPalette grey = CbKikitori->palette();
    grey.setColor(QPalette::Disabled, QPalette::WindowText, colors::clGrayText);
    CbKikitori->setPalette(grey);
    CmbMa = new QComboBox(this);
    CmbMa->setObjectName(QStringLiteral("CmbMa"));
    CmbMa->setGeometry(285, 51, 62, 19);
    CmbMa->setFocusPolicy(Qt::NoFocus);
    for (int ms : {0, 500, 1000, 1500, 2000, 3000}) {
        CmbMa->addItem(QStringLiteral("間 %1 秒").arg(ms / 1000.0), ms);
        if (ms == needs_.voice.gapMs)
            CmbMa->setCurrentIndex(CmbMa->count() - 1);
    }
    CmbMa->setToolTip(QStringLiteral("出題から読み始めるまでの間"));
    CmbSet = new QComboBox(this);
    CmbSet->setObjectName(QStringLiteral("CmbSet"));
    CmbSet->setGeometry(349, 51, 76, 19);
    CmbSet->setFocusPolicy(Qt::ClickFocus);
    CmbSet->addItem(QStringLiteral("全百首")); // the sets by sound join at the first show
    CmbSet->setToolTip(QStringLiteral("出題する札: 組を選ぶと、誤りの選択肢もまずその組から出ます(自分の組は「組…」で作れます)"));
    BtnSets = new QToolButton(this);
    BtnSets->setObjectName(QStringLiteral("BtnSets"));
    BtnSets->setText(QStringLiteral("組…"));
    BtnSets->setGeometry(426, 50, 26, 21);
    BtnSets->setFocusPolicy(Qt::ClickFocus);
    BtnSets->setToolTip(QStringLiteral("自分の組の作成・編集・読み込みと、今日の復習の設定"));
    CbDrill = new QCheckBox(QStringLiteral("苦手(&D)"), this);
    CbDrill->setObjectName(QStringLiteral("CbDrill"));
    CbDrill->setGeometry(454, 52, 70, 17);
    CbDrill->setFocusPolicy(Qt::ClickFocus);
    CbDrill->setToolTip(history::weakRule());
    SpDrill = new QSpinBox(this);
    SpDrill->setObjectName(QStringLiteral("SpDrill"));
    SpDrill->setGeometry(525, 50, 44, 21);
    SpDrill->setFocusPolicy(Qt::ClickFocus);
    if (auto *edit = SpDrill->findChild<QLineEdit *>())
        edit->setFocusPolicy(Qt::ClickFocus);
    SpDrill->setRange(1, deck::kPoemCount);
    SpDrill->setValue(20);
    SpDrill->setToolTip(history::weakRule());
    // The weak-poem rule stays on screen under the rows.
    LblDrill = new QLabel(QStringLiteral("苦手: ") + history::weakRuleShort(), this);
    LblDrill->setObjectName(QStringLiteral("LblDrill"));
    LblDrill->setGeometry(216, 409, 353, 14);
    LblDrill->setToolTip(history::weakRule());
    LblKikitori = kit::label(this, QStringLiteral("LblKikitori"), QRect(24, 65, 177, 15), font(),
                             colors::clWindowText);
    connect(CbKikitori, &QCheckBox::toggled, this, [this](bool on) { needs_.voice.listening = on; });
    connect(CmbMa, &QComboBox::currentIndexChanged, this,
            [this] { needs_.voice.gapMs = CmbMa->currentData().toInt(); });

    // Tab order: the answer rows, the colour box, then the two commands.
    QWidget *previous = nullptr;
    for (int i = 0; i < training::kChoiceCount; ++i) {
        QWidget *b = findControl<QPushButton>(Panel1, QStringLiteral("Btn"), i);
        if (previous)
            setTabOrder(previous, b);
        previous = b;
    }
    setTabOrder(previous, CbIro);
    setTabOrder(CbIro, BtnShutudai);
    setTabOrder(BtnShutudai, BtnClose);
}

void TF_Training::addCounter(Panel *parent, const QString &caption, int y, QLabel *&value, const char *name,
                             const QString &unit, int unitX)
{
    const QFont system = systemFont();
    const QString role = QLatin1String(name).mid(3); // LblSeikai -> Seikai
    // Captions and units take their text's width when the window is first
    // shown (FormShow): measuring here would load their faces at start.
    autoLabel(parent, QStringLiteral("Caption") + role, QPoint(16, y), system, colors::clWhite, false)
        ->setText(caption);

    Panel *box = kit::panel(parent, QStringLiteral("Box") + role, QRect(92, y - 4, 45, 25), colors::clWhite);
    value = kit::label(box, QLatin1String(name), QRect(4, 7, 37, 16), system, colors::clWindowText,
                       Qt::AlignRight | Qt::AlignTop);
    value->setText(QStringLiteral("0"));

    if (!unit.isEmpty())
        autoLabel(parent, QStringLiteral("Unit") + role, QPoint(unitX, y), fonts::font(fonts::MSGothic, 19, true),
                  colors::clWhite, false)
            ->setText(unit);
}

void TF_Training::FormShow()
{
    // Working out the sets by sound is left out of the program's start.
    if (CmbSet->count() == 1) {
        const QSignalBlocker quiet(CmbSet);
        CmbSet->addItem(QString(), kReviewItem);
        fillSets();
    }
    refreshReview();
    MondaiNo = 0;
    Missed.reset();
    LblMondai->setText({});
    setAutoText(LblMondaiK, {});
    for (QLabel *l : Panel4->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        if (l->width() == 0 && !l->text().isEmpty())
            setAutoText(l, l->text());
    for (QLabel *counter : {LblMondaisu, LblSeikai, LblMachigai, LblSeikairitu, LblNokoriJikan})
        counter->setText(QStringLiteral("0"));
    PnlHantei->setCaption({});

    MP1 = openQuietly(needs_.services, QStringLiteral("Push.wav"));
    MP2 = openQuietly(needs_.services, QStringLiteral("Close.wav"));

    for (int i = 0; i < training::kChoiceCount; ++i) {
        findControl<QLabel>(Panel1, QStringLiteral("Lbl"), i)->setText({});
        setAutoText(findControl<QLabel>(Panel1, QStringLiteral("LblK"), i), {});
        findControl<QPushButton>(Panel1, QStringLiteral("Btn"), i)->setEnabled(false);
    }

    BtnShutudai->setEnabled(true);
    BtnShutudai->setFocus();

    runStarted_ = false;
    CbDrill->setEnabled(true);
    SpDrill->setEnabled(true);
    CmbSet->setEnabled(true);
    BtnSets->setEnabled(true);
    needs_.rng.reseed(needs_.services.clock->utcTimeOfDay());
    weakTakes_.reset(); // the run just played counts in the next drill
    buildRun();
    asked_.reset();
    msAfterDeciding_.reset();
    const voice::Status st = voice::status(needs_.services);
    CbKikitori->setEnabled(st.usable);
    CbKikitori->setChecked(st.usable && needs_.voice.listening);
    CbKikitori->setToolTip(st.usable ? QStringLiteral("上の句を声だけで出題します") : st.detail);
    CmbMa->setEnabled(st.usable);
    LblKikitori->setText(st.usable ? QString() : st.reason);
    LblKikitori->setToolTip(st.detail);
}

// Today's review from the history as it now stands: at once when the shared
// schedule is current, else once it has been worked out.
void TF_Training::refreshReview()
{
    if (schedules_->request()) {
        showReview();
        return;
    }
    reviewPending_ = true;
    ReviewPoems.clear();
    CmbSet->setItemText(1, QStringLiteral("今日の復習 (計算中…)"));
    CmbSet->setItemData(1, history::reviewRule(), Qt::ToolTipRole);
}

void TF_Training::scheduleReady()
{
    if (!reviewPending_)
        return;
    showReview();
    if (!Review || runStarted_)
        return;
    buildRun();
    if (BtnShutudai->isEnabled() && std::exchange(focusAfterLoad_, false))
        BtnShutudai->setFocus();
}

// The poems due, most overdue first, then today's new ones.
void TF_Training::showReview()
{
    reviewPending_ = false;
    const QDate today = needs_.services.clock->localDate();
    const history::Schedule &schedule = schedules_->schedule();
    const QList<int> due = schedule.dueOn(today);
    const QList<int> fresh = schedule.newOn(today, history::reviewOptions().newPerDay);
    ReviewPoems = due + fresh;
    CmbSet->setItemText(1, QStringLiteral("今日の復習 (期日%1首・新%2首)").arg(due.size()).arg(fresh.size()));
    CmbSet->setItemData(1, history::reviewRule(), Qt::ToolTipRole); // it states the options
}

// The sets after the review's item; a set of the player's that was chosen
// stays chosen, by its name, while it is still there.
void TF_Training::fillSets()
{
    const QSignalBlocker quiet(CmbSet);
    const int ownFrom = 2 + int(play::drillSets().size()); // the separator
    const int index = CmbSet->currentIndex();
    const bool wasOwn = index > ownFrom;
    const QString was = CmbSet->currentData(play::kSetNameRole).toString();
    while (CmbSet->count() > 2)
        CmbSet->removeItem(2);
    play::addSetChoices(CmbSet, play::setChoices().mid(1));
    if (!wasOwn) {
        CmbSet->setCurrentIndex(index); // the sets by sound never change
        return;
    }
    CmbSet->setCurrentIndex(0);
    for (int i = ownFrom + 1; i < CmbSet->count(); ++i)
        if (CmbSet->itemData(i, play::kSetNameRole).toString() == was)
            CmbSet->setCurrentIndex(i);
    DrillPoems = play::chosenPoems(CmbSet);
}

void TF_Training::BtnSetsClick()
{
    OwnSetsDialog dialog(needs_.poems, *needs_.services.messages, this);
    dialog.exec();
    setsEdited();
}

void TF_Training::setsEdited()
{
    fillSets();
    refreshReview();
    drillChanged();
}

void TF_Training::buildRun()
{
    // The run's poems: today's review, a set chosen by sound or the whole
    // hundred, narrowed to its N weakest when the weak-poem drill is on.
    if (Review && reviewPending_) {
        holdRun();
        return;
    }
    const QList<deck::PoemNo> &pool = Review ? ReviewPoems : DrillPoems;
    QList<deck::PoemNo> poems = pool;
    if (CbDrill->isChecked()) {
        if (!weakTakes_) {
            loadWeakTakes();
            return;
        }
        const QList<int> ranked = history::rankWeakest(*weakTakes_, weakDay_, deck::kPoemCount, needs_.rng);
        QList<deck::PoemNo> weakest;
        for (int p : ranked) {
            if (weakest.size() >= SpDrill->value())
                break;
            if ((pool.isEmpty() && !Review) || pool.contains(p))
                weakest << deck::PoemNo(p);
        }
        // The review keeps its order, most overdue first; a drill is shuffled below.
        if (Review)
            poems.removeIf([&](deck::PoemNo p) { return !weakest.contains(p); });
        else
            poems = weakest;
    }
    BtnShutudai->setEnabled(!Review || !poems.isEmpty());
    if (Review) {
        runLength = int(poems.size());
        for (qsizetype i = 0; i < poems.size(); ++i)
            MondaiList[static_cast<std::size_t>(i + 1)] = needs_.poems[poems[i]];
        return;
    }
    if (poems.isEmpty()) {
        runLength = deck::kPoemCount;
        training::shuffleMondaiList(needs_.rng, needs_.poems, MondaiList);
        return;
    }
    // Asked in a random order, not weakest first.
    runLength = int(poems.size());
    training::shuffleSetList(needs_.rng, needs_.poems, poems, MondaiList);
}

// A long history takes a noticeable time to read, so it is read on a pool
// thread; 出題 waits for the run, which is built when the takes arrive. A
// newer load replaces an older one still running.
void TF_Training::loadWeakTakes()
{
    weakDay_ = needs_.services.clock->localDate();
    holdRun();
    loadingWeak_ = true;
    weakLoad_.setFuture(QtConcurrent::run(&history::readRecentTakes, history::databasePath(), weakDay_));
}

// 出題 waits for what the run is built from, keeping the focus to come back.
void TF_Training::holdRun()
{
    if (focusWidget() == BtnShutudai)
        focusAfterLoad_ = true;
    BtnShutudai->setEnabled(false);
}

void TF_Training::weakTakesLoaded()
{
    weakTakes_ = weakLoad_.result();
    loadingWeak_ = false;
    // The run built here says whether 出題 may be pressed: not for an empty
    // review, nor while the review is still being worked out.
    if (CbDrill->isChecked() && !runStarted_)
        buildRun();
    if (BtnShutudai->isEnabled() && std::exchange(focusAfterLoad_, false))
        BtnShutudai->setFocus();
}

void TF_Training::waitUntilDrillReady()
{
    if (!loadingWeak_)
        return;
    QEventLoop loop;
    connect(&weakLoad_, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

// The drill can be changed until the run's first question.
void TF_Training::drillChanged()
{
    if (runStarted_)
        return;
    needs_.rng.reseed(needs_.services.clock->utcTimeOfDay());
    buildRun();
}

void TF_Training::recordAnswer(history::Outcome outcome, int row)
{
    const int chosen = row >= 0 && row < training::kChoiceCount ? rowPoem_[static_cast<std::size_t>(row)] : 0;
    needs_.recorder.record(training::answerTake(session_, needs_.poems.numberOf(MondaiList[MondaiNo]), outcome, chosen,
                                                needs_.services.monotonic->elapsedMs() - posedAt_, listenPoem_ != 0,
                                                msAfterDeciding_));
}

void TF_Training::FormHide()
{
    kit::setInterval(TimerYomi, 0);
    reader_.stop();
    closeQuietly(MP1);
    closeQuietly(MP2);
}

void TF_Training::BtnShutudaiClick()
{
    // Only from Ready: never while a question is open or after the last one,
    // nor before the review it is to ask has been worked out.
    if (questionOpen() || MondaiNo >= runLength || (Review && reviewPending_ && !runStarted_))
        return;
    if (!runStarted_) {
        runStarted_ = true;
        CbDrill->setEnabled(false);
        SpDrill->setEnabled(false);
        CmbSet->setEnabled(false);
        BtnSets->setEnabled(false);
        session_ = needs_.recorder.newSession(history::Mode::Training);
    }

    BtnShutudai->setEnabled(false);
    ++MondaiNo;
    const deck::PoemEntry &mondai = MondaiList[MondaiNo];

    const QColor decidingColor = CbIro->isChecked() ? colors::clYellow : colors::clWhite;
    // Listening: the verse is heard, and shown only once the pick is made.
    askedPoem_ = needs_.poems.numberOf(mondai);
    listenPoem_ = listening() && reader_.prepare(askedPoem_) ? askedPoem_ : 0;
    LblMondai->setText(listenPoem_ ? QString() : mondai.Kaminoku.text());
    setAutoText(LblMondaiK, listenPoem_ ? QString() : mondai.Kimariji.text());
    kit::setTextColor(LblMondaiK, decidingColor);
    msAfterDeciding_.reset();
    posedAt_ = needs_.services.monotonic->elapsedMs();
    if (listenPoem_) {
        LblKikitori->setText({});
        voiceDelayMs_ = needs_.voice.gapMs;
        TimerYomi->start(voiceDelayMs_);
    }

    PnlHantei->setCaption({});
    kit::setInterval(Timer2, 0);

    needs_.rng.reseed(needs_.services.clock->utcTimeOfDay());
    // The weak-poem drill alone has no set: its distractors come from all hundred.
    const training::Question question = training::poseQuestion(needs_.rng, needs_.poems, mondai, DrillPoems);
    Sentakushi = question.sentakushi;
    KaitoRan = question.kaitoRan;
    rowPoem_ = question.rowPoem;
    SeikaiNo = question.rightRow;

    for (int i = 0; i < training::kChoiceCount; ++i) {
        findControl<QPushButton>(Panel1, QStringLiteral("Btn"), i)->setEnabled(true);
        QLabel *lbl = findControl<QLabel>(Panel1, QStringLiteral("Lbl"), i);
        lbl->setText(KaitoRan[i].Shimonoku.text());
        kit::setTextColor(lbl, colors::clWhite);
        QLabel *lblK = findControl<QLabel>(Panel1, QStringLiteral("LblK"), i);
        setAutoText(lblK, KaitoRan[i].ShimoKimariji.text());
        kit::setTextColor(lblK, decidingColor);
    }

    findControl<QPushButton>(Panel1, QStringLiteral("Btn"), 0)->setFocus();
    LblNokoriJikan->setText(QStringLiteral("10"));
    kit::setInterval(Timer1, 1000);
}

void TF_Training::TimerYomiTimer()
{
    if (questionOpen() && listenPoem_)
        reader_.speak(voice::Half::Kami);
}

// Shown after a listening question: how long after the deciding syllables
// (as the poems asked before in this run leave them) the pick came.
void TF_Training::showListeningResult(bool timedOut)
{
    const int p = listenPoem_;
    deck::ReadSet read = asked_;
    read.reset(static_cast<std::size_t>(p));
    const int morae = deck::decidingMorae(p, read);
    const voice::ClipTimes *clip = voice::clipTimes(p, voice::Half::Kami);
    const std::optional<int> heard = clip ? voice::decidingHeardMs(*clip, morae) : std::nullopt;
    const QString kana = deck::spokenKaminoku(p).opening(morae);
    if (timedOut || !heard) {
        LblKikitori->setText(QStringLiteral("決まり字「%1」").arg(kana));
        return;
    }
    const qint64 answerMs = needs_.services.monotonic->elapsedMs() - posedAt_;
    msAfterDeciding_ = voice::msAfterDecidingHeard(answerMs, voiceDelayMs_, *heard);
    LblKikitori->setText(*msAfterDeciding_ >= 0
                             ? QStringLiteral("「%1」から%2ミリ秒").arg(kana).arg(*msAfterDeciding_)
                             : QStringLiteral("「%1」の%2ミリ秒前").arg(kana).arg(-*msAfterDeciding_));
}

void TF_Training::Btn0Click(QObject *Sender)
{
    // A second pick, or a delayed mnemonic click after the verdict, is not a pick.
    if (!questionOpen())
        return;
    if (listenPoem_)
        showListeningResult(false);
    const int t = tagOf(Sender);
    recordAnswer(t == SeikaiNo ? history::Outcome::Right : history::Outcome::Wrong, t);
    if (t == SeikaiNo) {
        PnlHantei->setCaption(QStringLiteral("正解!!"));
        addTo(LblSeikai, 1);
        playQuietly(MP1.get());
    } else {
        PnlHantei->setCaption(QStringLiteral("不正解"));
        MachigaiShori();
    }
    MondaiShuryo();
}

void TF_Training::Timer1Timer()
{
    // A tick that was on its way when the question closed judges nothing.
    if (!questionOpen())
        return;
    addTo(LblNokoriJikan, -1);
    if (LblNokoriJikan->text() == QLatin1String("0")) {
        if (listenPoem_)
            showListeningResult(true);
        PnlHantei->setCaption(QStringLiteral("時間切れ"));
        recordAnswer(history::Outcome::Timeout, -1);
        MachigaiShori();
        MondaiShuryo();
    }
}

void TF_Training::Timer2Timer()
{
    // Stopped means a new question is on show: its right row must not move.
    if (!Timer2->isActive())
        return;
    for (const QString &prefix : {QStringLiteral("Lbl"), QStringLiteral("LblK")}) {
        QLabel *l = findControl<QLabel>(Panel1, prefix, SeikaiNo);
        kit::setTextColor(l, textColor(l) == colors::clWhite ? colors::clYellow : colors::clWhite);
    }
}

void TF_Training::MondaiShuryo()
{
    kit::setInterval(Timer1, 0);
    kit::setInterval(TimerYomi, 0);
    if (listenPoem_) {
        // The pick is made: the verse is shown as in the plain quiz.
        const deck::PoemEntry &row = needs_.poems[listenPoem_];
        LblMondai->setText(row.Kaminoku.text());
        setAutoText(LblMondaiK, row.Kimariji.text());
        listenPoem_ = 0;
    }
    if (askedPoem_ > 0)
        asked_.set(static_cast<std::size_t>(askedPoem_));
    if (MondaiNo < runLength) {
        BtnShutudai->setEnabled(true);
        BtnShutudai->setFocus();
    } else {
        BtnClose->setFocus();
    }
    for (int i = 0; i < training::kChoiceCount; ++i)
        findControl<QPushButton>(Panel1, QStringLiteral("Btn"), i)->setEnabled(false);
    kit::setInterval(Timer2, 300);
    addTo(LblMondaisu, 1);
    LblSeikairitu->setText(
        QString::number(training::seikairitu(toInt(LblSeikai->text()), toInt(LblMondaisu->text()))));
    if (MondaiNo >= deck::kPoemCount)
        showRunSummary();
}

// Window-modal but not blocking: the blink and the counters stay live behind it.
void TF_Training::showRunSummary()
{
    const QString text = training::runSummary(toInt(LblMondaisu->text()), toInt(LblSeikai->text()),
                                               toInt(LblMachigai->text()), toInt(LblSeikairitu->text()), Missed,
                                               needs_.poems);
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("琴葉"), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("RunSummary"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TF_Training::MachigaiShori()
{
    const int n = MondaiNo;
    Missed.set(static_cast<std::size_t>(needs_.poems.numberOf(MondaiList[n])));
    addTo(LblMachigai, 1);
    playQuietly(MP2.get());
    training::moveMissedLater(MondaiList, n, runLength);
    MondaiNo = n - 1;
}

void TF_Training::BtnCloseClick()
{
    kit::setInterval(Timer1, 0);
    kit::setInterval(TimerYomi, 0);
    kit::setInterval(Timer2, 0);
    closeAndShowMain();
}

void TF_Training::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool bare = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (bare && key >= Qt::Key_0 && key <= Qt::Key_9) {
        auto *b = findControl<QPushButton>(Panel1, QStringLiteral("Btn"), key - Qt::Key_0);
        if (b && b->isEnabled()) {
            b->click();
            event->accept();
            return;
        }
    }
    Form::keyPressEvent(event);
}
