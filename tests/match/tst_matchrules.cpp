#include <QtTest>

#include <set>

#include "deck/poemtable.h"
#include "play/field.h"
#include "match/historytake.h"
#include "deck/reveal.h"
#include "match/opponent.h"
#include "match/rules.h"
#include "play/timing.h"
#include "platform/sjis.h"

using namespace match;
using deck::kTickMs;

namespace {

// Poems 1..3 on the player's slots 0..2, 4..6 on the opponent's; `extra`
// more cards from poem 7 on the player's side when asked for.
Field smallField(int playerCards = 3, int opponentCards = 3)
{
    Field f;
    for (int i = 0; i < playerCards; ++i)
        f.put({Side::Player, i}, 1 + i);
    for (int i = 0; i < opponentCards; ++i)
        f.put({Side::Opponent, i}, 4 + i);
    return f;
}

Side sideOf(QChar c) { return c.toUpper() == u'P' ? Side::Player : Side::Opponent; }

// "PO0.1": the player touches the opponent's place O0.1, 10 ms after the
// touch before; "=PO0.1" at the same moment as it. Returns one letter per touch:
// T taken, F fault, N nothing, I ignored.
QString play(Match &m, const QString &script)
{
    QString out;
    qint64 t = 1000;
    for (QString touch : script.split(u' ', Qt::SkipEmptyParts)) {
        if (touch.startsWith(u'='))
            touch.remove(0, 1);
        else
            t += 10;
        const std::optional<Place> place = Place::fromText(QStringView(touch).mid(1));
        if (!place)
            return out + u'?';
        const TouchResult r = m.touch(sideOf(touch[0]), *place, t);
        out += QStringLiteral("INFT")[static_cast<int>(r.verdict)];
    }
    return out;
}

// The first card of a side, in slot order; -1 when it has none.
int firstSlot(const Field &f, Side s)
{
    for (int k = 0; k < kSlots; ++k)
        if (f.at(s, k))
            return k;
    return -1;
}

// Sends every owed card (each side its first) and says who sent them.
QString sendAll(Match &m)
{
    QString out;
    while (const auto s = m.sender()) {
        out += *s == Side::Player ? u'P' : u'O';
        if (!m.send(*s, firstSlot(m.field(), *s)))
            return out + u'!';
    }
    return out;
}

const char *resultName(Result r)
{
    switch (r) {
    case Result::Ongoing: return "ongoing";
    case Result::PlayerWon: return "player";
    case Result::OpponentWon: return "opponent";
    case Result::Draw: return "draw";
    }
    return "?";
}

} // namespace

class TestMatchRules : public QObject {
    Q_OBJECT
private slots:
    void ownCardsArrangedByLayoutOnlyBeforeTheFirstReading();
    void initTestCase() { deck::PoemTable.fill(); }

    void dealLaysTwentyFiveDifferentCardsASideInThreeRowsAndTwoAreas_data();
    void dealLaysTwentyFiveDifferentCardsASideInThreeRowsAndTwoAreas();
    void touchesAreJudgedByTheStatedRules_data();
    void touchesAreJudgedByTheStatedRules();
    void matchEndsWhenASideEmptiesOrTheReadingsRunOut_data();
    void matchEndsWhenASideEmptiesOrTheReadingsRunOut();
    void sentCardsGoToTheReceiversFreeSlots();
    void playerMovesOwnCardsBeforeAndBetweenReadings();
    void historyRowKeepsThePlayersFaultAndTheCardTouched_data();
    void historyRowKeepsThePlayersFaultAndTheCardTouched();
    void opponentSendsTheCardThatSplitsAPair();
    void clickIsJudgedOnItsOwnTimeNotWhenHandled();
    void memorisationCuesTwoMinutesBeforeTheEndFromFiveMinutes_data();
    void memorisationCuesTwoMinutesBeforeTheEndFromFiveMinutes();
};

void TestMatchRules::dealLaysTwentyFiveDifferentCardsASideInThreeRowsAndTwoAreas_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {0u, 1u, 77u, 0xdeadbeefu})
        QTest::addRow("seed %u", seed) << seed;
}

void TestMatchRules::dealLaysTwentyFiveDifferentCardsASideInThreeRowsAndTwoAreas()
{
    QFETCH(quint32, seed);
    platform::Random rng{seed};
    const Field f = dealField(rng);
    std::set<int> all;
    for (Side s : {Side::Player, Side::Opponent}) {
        QCOMPARE(f.count(s), kCardsPerSide);
        std::set<std::pair<int, bool>> rowsAndAreas;
        for (int k = 0; k < kSlots; ++k)
            if (f.at(s, k)) {
                all.insert(f.at(s, k));
                rowsAndAreas.insert({rowOf(k), inLeftArea(k)});
            }
        QCOMPARE(rowsAndAreas.size(), std::size_t(2 * kRows));
    }
    QCOMPARE(all.size(), std::size_t(2 * kCardsPerSide));
    QVERIFY(*all.begin() >= 1 && *all.rbegin() <= 100);

    const QList<int> order = readingOrder(rng);
    QCOMPARE(std::set<int>(order.begin(), order.end()).size(), std::size_t(100));
    QCOMPARE(*std::min_element(order.begin(), order.end()), 1);
    QCOMPARE(*std::max_element(order.begin(), order.end()), 100);
    // Half the readings are dead cards.
    QCOMPARE(int(std::count_if(order.begin(), order.end(), [&](int p) { return !f.find(p); })), 50);
}

void TestMatchRules::touchesAreJudgedByTheStatedRules_data()
{
    QTest::addColumn<int>("poem");
    QTest::addColumn<QString>("touches");
    QTest::addColumn<QString>("verdicts");
    QTest::addColumn<QString>("owed"); // who sends, in order
    QTest::addColumn<int>("playerFaults");
    QTest::addColumn<int>("opponentFaults");

    // poem 1 lies on the player's slot 0, poem 5 on the opponent's slot 1, poem 50 nowhere
    QTest::newRow("taking the read card from one's own side sends nothing") << 1 << "PP0.0" << "T" << "" << 0 << 0;
    QTest::newRow("taking it from the other side: the taker sends one") << 5 << "PO0.1" << "T" << "P" << 0 << 0;
    QTest::newRow("the opponent takes from the player's side and sends one") << 1 << "OP0.0" << "T" << "O" << 0 << 0;
    QTest::newRow("a wrong card on the read card's side is no fault") << 5 << "PO0.0 PO0.1" << "NT" << "P" << 0 << 0;
    QTest::newRow("a card on the other side is a fault: the other side sends one") << 5 << "PP0.2 OO0.1" << "FT" << "O" << 1 << 0;
    QTest::newRow("any card during a dead card is a fault") << 50 << "OO0.2" << "F" << "P" << 0 << 1;
    QTest::newRow("dead card, both sides touched: two cards to the faulter") << 50 << "PP0.0 PO0.1" << "FF" << "OO" << 1 << 0;
    QTest::newRow("dead card, one side touched twice: one card") << 50 << "PP0.0 PP0.1" << "FI" << "O" << 1 << 0;
    QTest::newRow("both fault on a dead card: the penalties cancel") << 50 << "PP0.0 OO0.2" << "FF" << "" << 1 << 1;
    QTest::newRow("both fault on a live card: the penalties cancel") << 1 << "PO0.0 OO0.1" << "FF" << "" << 1 << 1;
    QTest::newRow("both sides touched when the card lies on one: one fault") << 1 << "OO0.0 OP0.2 OO0.2" << "FNI" << "P" << 0 << 1;
    QTest::newRow("fault, then the take across: nothing is sent") << 5 << "PP0.0 PO0.1" << "FT" << "" << 1 << 0;
    QTest::newRow("fault across, then the take at home: one card comes over") << 1 << "PO0.0 PP0.0" << "FT" << "O" << 1 << 0;
    QTest::newRow("the opponent faults, the player takes across: two sent") << 5 << "OP0.0 PO0.1" << "FT" << "PP" << 0 << 1;
    QTest::newRow("double: the other side takes across and the faulter gets two") << 1 << "PO0.0 OP0.0" << "FT" << "OO" << 1 << 0;
    QTest::newRow("after the take nothing counts") << 1 << "OP0.0 PP0.1 PO0.2" << "TII" << "O" << 0 << 0;
    QTest::newRow("same moment: the card goes to the side it lies on") << 1 << "OP0.0 =PP0.0" << "TT" << "" << 0 << 0;
    QTest::newRow("same moment, taken first by its own side") << 5 << "OO0.1 =PO0.1" << "TI" << "" << 0 << 0;
    QTest::newRow("same moment, the other side first") << 5 << "PO0.1 =OO0.1" << "TT" << "" << 0 << 0;
    QTest::newRow("a moment later is too late") << 1 << "OP0.0 PP0.0" << "TI" << "O" << 0 << 0;
}

void TestMatchRules::touchesAreJudgedByTheStatedRules()
{
    QFETCH(int, poem);
    QFETCH(QString, touches);
    QFETCH(QString, verdicts);
    QFETCH(QString, owed);
    QFETCH(int, playerFaults);
    QFETCH(int, opponentFaults);

    Match m(smallField(), {poem});
    QVERIFY(m.startReading());
    QCOMPARE(m.deadCard(), poem == 50);
    QCOMPARE(play(m, touches), verdicts);
    m.endReading();
    QCOMPARE(m.faults(Side::Player), playerFaults);
    QCOMPARE(m.faults(Side::Opponent), opponentFaults);
    QCOMPARE(sendAll(m), owed);
    QVERIFY(!m.field().find(poem)); // read cards leave the floor, taken or not
}

void TestMatchRules::matchEndsWhenASideEmptiesOrTheReadingsRunOut_data()
{
    QTest::addColumn<int>("playerCards");
    QTest::addColumn<int>("opponentCards");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QString>("touches"); // per reading, '|' between readings
    QTest::addColumn<QString>("result");

    QTest::newRow("the first side with no cards left wins") << 1 << 3 << QList<int>{1, 4} << "PP0.0" << "player";
    QTest::newRow("taking the other side's last card sends one back") << 2 << 1 << QList<int>{4, 50} << "PO0.0" << "ongoing";
    QTest::newRow("sending one's last card wins") << 1 << 2 << QList<int>{4, 50} << "PO0.0" << "player";
    QTest::newRow("a side that empties owes no fault card") << 1 << 3 << QList<int>{1, 50} << "OO0.0 PP0.0" << "player";
    QTest::newRow("a fault on one's last card brings one back") << 1 << 3 << QList<int>{1, 50} << "PO0.0 PP0.0" << "ongoing";
    QTest::newRow("readings run out: fewer cards wins") << 1 << 2 << QList<int>{50, 51} << "|" << "player";
    QTest::newRow("readings run out: more cards loses") << 3 << 2 << QList<int>{50} << "" << "opponent";
    QTest::newRow("readings run out level: a draw") << 2 << 2 << QList<int>{50} << "" << "draw";
    QTest::newRow("a reading nobody takes removes its card") << 1 << 1 << QList<int>{4, 50} << "|" << "opponent";
}

void TestMatchRules::matchEndsWhenASideEmptiesOrTheReadingsRunOut()
{
    QFETCH(int, playerCards);
    QFETCH(int, opponentCards);
    QFETCH(QList<int>, order);
    QFETCH(QString, touches);
    QFETCH(QString, result);

    Match m(smallField(playerCards, opponentCards), order);
    for (const QString &reading : touches.split(u'|')) {
        QVERIFY(m.startReading());
        play(m, reading);
        m.endReading();
        QVERIFY(!sendAll(m).endsWith(u'!'));
        if (m.result() != Result::Ongoing)
            break;
    }
    QCOMPARE(resultName(m.result()), qPrintable(result));
    if (m.result() != Result::Ongoing)
        QVERIFY(!m.startReading());
}

void TestMatchRules::sentCardsGoToTheReceiversFreeSlots()
{
    Match m(smallField(), {4});
    QVERIFY(m.startReading());
    QCOMPARE(play(m, "PO0.0"), "T");
    QVERIFY(!m.startReading()); // a card is still owed
    QVERIFY(!m.send(Side::Opponent, 1)); // not the opponent's turn to send
    QVERIFY(!m.send(Side::Player, 40));  // an empty slot
    QVERIFY(m.send(Side::Player, 2));
    // The opponent's slot 0 was freed by the take: the front row's outer slot.
    QCOMPARE(m.field().at(Side::Opponent, 0), 3);
    QCOMPARE(m.field().count(Side::Player), 2);
    QCOMPARE(m.last().sent[0], 1);
    QCOMPARE(m.sentTotal(Side::Player), 1);
}

void TestMatchRules::playerMovesOwnCardsBeforeAndBetweenReadings()
{
    Match m(smallField(), {50, 51});
    QVERIFY(m.rearrange(0, 20));
    QVERIFY(!m.rearrange(0, 21)); // nothing left there to move
    QVERIFY(m.startReading());
    QVERIFY(!m.rearrange(20, 0)); // not while a poem is read
    QCOMPARE(play(m, "PP0.1"), "F");
    m.endReading();
    QVERIFY(!m.rearrange(20, 0)); // nor while a card is owed
    QVERIFY(m.send(Side::Opponent, 2));
    // The card received fills the front row's outer place, then may move.
    QCOMPARE(m.field().at(Side::Player, 0), 6);
    QVERIFY(m.rearrange(0, 7));
    QCOMPARE(m.field().at(Side::Player, 7), 6);
    QVERIFY(m.startReading());
    m.endReading();
    QVERIFY(m.result() != Result::Ongoing);
    QVERIFY(!m.rearrange(7, 8)); // the match is over
}

void TestMatchRules::historyRowKeepsThePlayersFaultAndTheCardTouched_data()
{
    QTest::addColumn<int>("poem");
    QTest::addColumn<QString>("touches");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("taker");
    QTest::addColumn<int>("playerSends");

    // poem 1 lies on the player's slot 0, poem 5 on the opponent's slot 1, poem 50 nowhere
    QTest::newRow("a dead card nobody touched is kept apart") << 50 << "" << "dead" << 0 << "" << 0;
    QTest::newRow("a fault on a dead card names the card touched") << 50 << "PP0.2 PO0.0" << "wrong" << 3 << "" << 0;
    QTest::newRow("the opponent's take after the player's fault") << 5 << "PP0.0 OO0.1" << "wrong" << 1 << "opponent" << 0;
    QTest::newRow("a fault and the take across") << 5 << "PP0.0 PO0.1" << "wrong" << 1 << "player" << 0;
    QTest::newRow("the opponent's fault leaves the player's take right") << 5 << "OP0.0 PO0.1" << "right" << 0 << "player" << 2;
}

void TestMatchRules::historyRowKeepsThePlayersFaultAndTheCardTouched()
{
    QFETCH(int, poem);
    QFETCH(QString, touches);
    QFETCH(QString, outcome);
    QFETCH(int, chosen);
    QFETCH(QString, taker);
    QFETCH(int, playerSends);

    Match m(smallField(), {poem});
    QVERIFY(m.startReading());
    play(m, touches);
    m.endReading();
    // Written as soon as the reading is judged, before any card is sent.
    const history::Take t = readingTake(m.last(), 7, 3, 0, 400);
    QCOMPARE(history::word(t.outcome), outcome);
    QCOMPARE(t.chosen, chosen);
    QCOMPARE(t.extra.value("taker").toString(), taker);
    QCOMPARE(t.extra.value("player_sent").toInt(), playerSends);
    QCOMPARE(t.msAfterDeciding.has_value(), !taker.isEmpty());
}
void TestMatchRules::opponentSendsTheCardThatSplitsAPair()
{
    Field f;
    f.put({Side::Opponent, 0}, 3);  // あしびきの
    f.put({Side::Opponent, 7}, 1);  // あきのたの
    f.put({Side::Opponent, 9}, 87); // むらさめの
    f.put({Side::Player, 0}, 79);   // あきかぜに
    QCOMPARE(chooseSend(f, Side::Opponent), 7);
    f.remove(79);
    f.put({Side::Player, 0}, 90); // みせばやな: shares nothing; the lowest number goes
    QCOMPARE(chooseSend(f, Side::Opponent), 7);
    QCOMPARE(chooseSend(Field{}, Side::Opponent), -1);
}

void TestMatchRules::clickIsJudgedOnItsOwnTimeNotWhenHandled()
{
    EventClock c;
    QCOMPARE(c.toMonotonic(500, 10'000), 10'000); // nothing known yet: when handled
    c.observe(500, 10'030);   // a move handled 30 ms late
    c.observe(900, 10'405);   // one handled 5 ms late: the better offset
    c.observe(1'000, 10'800); // a busy moment does not spoil it
    // A click that happened at stamp 1200 but was handled 300 ms later.
    QCOMPARE(c.toMonotonic(1'200, 11'005), 10'705);
    // A stamp that would lie in the future is held to the handling time.
    QCOMPARE(c.toMonotonic(5'000, 11'100), 11'100);
}

void TestMatchRules::memorisationCuesTwoMinutesBeforeTheEndFromFiveMinutes_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<qint64>("cueAtMs"); // -1: no cue
    QTest::newRow("1 min") << 1 << qint64(-1);
    QTest::newRow("2 min") << 2 << qint64(-1);
    QTest::newRow("5 min") << 5 << qint64(3 * 60'000);
    QTest::newRow("15 min") << 15 << qint64(13 * 60'000);
}

void TestMatchRules::memorisationCuesTwoMinutesBeforeTheEndFromFiveMinutes()
{
    QFETCH(int, minutes);
    QFETCH(qint64, cueAtMs);
    Memorisation mem;
    const qint64 start = 1'000'000;
    mem.start(minutes, start);
    int cues = 0;
    qint64 firstCue = -1;
    for (qint64 t = 0; t <= minutes * 60'000; t += 500)
        if (mem.takeCue(start + t) && cues++ == 0)
            firstCue = t;
    QCOMPARE(firstCue, cueAtMs);
    QVERIFY(cues <= 1);
    QVERIFY(!mem.finished(start + minutes * 60'000 - 1));
    QVERIFY(mem.finished(start + minutes * 60'000));
    QCOMPARE(clockText(mem.remainingMs(start + 1)), QStringLiteral("%1:00").arg(minutes));
}

void TestMatchRules::ownCardsArrangedByLayoutOnlyBeforeTheFirstReading()
{
    platform::Random rng;
    rng.state = 3;
    const Field dealt = dealField(rng);
    const QList<int> order = readingOrder(rng);
    const StandardLayout &layout = defaultLayout();
    const Field want = arranged(dealt, Side::Player, layout);
    Match m(dealt, order);
    QVERIFY(!arrangeOwnSide(m, layout).isEmpty());
    for (int k = 0; k < kSlots; ++k) {
        QCOMPARE(m.field().at(Side::Player, k), want.at(Side::Player, k));
        QCOMPARE(m.field().at(Side::Opponent, k), dealt.at(Side::Opponent, k));
    }
    Match started(dealt, order);
    QVERIFY(started.startReading());
    QVERIFY(arrangeOwnSide(started, layout).isEmpty());
    for (int k = 0; k < kSlots; ++k)
        QCOMPARE(started.field().at(Side::Player, k), dealt.at(Side::Player, k));
}

QTEST_GUILESS_MAIN(TestMatchRules)
#include "tst_matchrules.moc"
