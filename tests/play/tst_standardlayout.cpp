#include <QtTest>

#include "deck/spoken.h"
#include "play/standardlayout.h"

using namespace match;

namespace {

// A side as "slot=poem …" in slot order.
QString sideText(const Field &f, Side s)
{
    QStringList out;
    for (int k = 0; k < kSlots; ++k)
        if (f.at(s, k))
            out << QStringLiteral("%1=%2").arg(k).arg(f.at(s, k));
    return out.join(u' ');
}

// Zones top-left to bottom-right hold 91..100, 81..90, 61..80, 41..60, 21..40, 1..20.
StandardLayout numberedLayout()
{
    StandardLayout::Zones z;
    const int first[kZones] = {91, 81, 61, 41, 21, 1};
    const int size[kZones] = {10, 10, 20, 20, 20, 20};
    for (int i = 0; i < kZones; ++i)
        for (int p = first[i]; p < first[i] + size[i]; ++p)
            z[std::size_t(i)] << p;
    return *StandardLayout::fromZones(z);
}

} // namespace

class tst_StandardLayout : public QObject {
    Q_OBJECT
private slots:
    void layoutText_data();
    void layoutText();
    void defaultLayoutFollowsTheGuides();
    void dealArrangedByLayout_data();
    void dealArrangedByLayout();
};

void tst_StandardLayout::layoutText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    const QString good = numberedLayout().text();
    QTest::newRow("the numbered layout") << good << true;
    QTest::newRow("the default") << defaultLayout().text() << true;
    QTest::newRow("a poem missing") << good.mid(3) << false;
    QTest::newRow("five zones") << good.section(u'/', 1) << false;
    QTest::newRow("a poem twice") << QString(good).replace(QStringLiteral("92"), QStringLiteral("93")) << false;
    QTest::newRow("poem 101") << QString(good).replace(QStringLiteral("100"), QStringLiteral("101")) << false;
    QTest::newRow("poem 0") << QString(good).replace(QStringLiteral("100"), QStringLiteral("0")) << false;
    QTest::newRow("not a number") << QString(good).replace(QStringLiteral("100"), QStringLiteral("x")) << false;
    QTest::newRow("nothing") << QString() << false;
    QStringList moved = good.split(u'/');
    moved[0] += moved[5].isEmpty() ? QString() : QStringLiteral(",") + moved[5];
    moved[5].clear();
    QTest::newRow("a zone left empty on purpose") << moved.join(u'/') << true;
}

void tst_StandardLayout::layoutText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QString why;
    const auto l = StandardLayout::fromText(text, &why);
    QCOMPARE(bool(l), valid);
    if (l)
        QCOMPARE(l->text(), text);
    else
        QVERIFY(!why.isEmpty());
}

void tst_StandardLayout::defaultLayoutFollowsTheGuides()
{
    const StandardLayout &l = defaultLayout();
    std::array<int, kRows> perRow{};
    QMap<QString, QSet<int>> zonesOfFamily;
    QMap<QString, QList<int>> sixPairs;
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        const int z = l.zone(p);
        QVERIFY(z >= 0);
        ++perRow[std::size_t(zoneRow(z))];
        const int morae = deck::decidingMorae(p, {});
        if (morae == 1)
            QCOMPARE(zoneName(z), QStringLiteral("下段右"));
        if (morae == 6)
            sixPairs[deck::spokenKaminoku(p).opening(5)] << p;
        else
            zonesOfFamily[deck::spokenKaminoku(p).opening(morae == 1 ? 0 : 1)].insert(z);
    }
    QVERIFY2(perRow[2] > perRow[1] && perRow[1] > perRow[0],
             qPrintable(QStringLiteral("rows %1/%2/%3").arg(perRow[0]).arg(perRow[1]).arg(perRow[2])));
    QCOMPARE(sixPairs.size(), 3);
    for (const QList<int> &pair : sixPairs) {
        QCOMPARE(pair.size(), 2);
        QCOMPARE(zoneRow(l.zone(pair[0])), zoneRow(l.zone(pair[1])));
        QVERIFY(zoneIsRight(l.zone(pair[0])) != zoneIsRight(l.zone(pair[1])));
    }
    for (auto it = zonesOfFamily.begin(); it != zonesOfFamily.end(); ++it)
        QVERIFY2(it->size() == 1, qPrintable(QStringLiteral("「%1」 over %2 zones").arg(it.key()).arg(it->size())));
}

void tst_StandardLayout::dealArrangedByLayout_data()
{
    QTest::addColumn<QList<int>>("cards");
    QTest::addColumn<QString>("expected");
    // Slot 53 is the lowest row's outermost right, 36 its outermost left.
    QTest::newRow("a zone's cards from the outer edge in its order") << QList<int>{3, 1, 2} << "51=3 52=2 53=1";
    QTest::newRow("the left area from its outer edge") << QList<int>{22, 21} << "36=21 37=22";
    QTest::newRow("a full zone passes on a row forward")
        << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}
        << "34=11 35=10 45=9 46=8 47=7 48=6 49=5 50=4 51=3 52=2 53=1";
    QTest::newRow("the top row's cards stay at the top") << QList<int>{91, 1, 81} << "0=91 17=81 53=1";
}

void tst_StandardLayout::dealArrangedByLayout()
{
    QFETCH(QList<int>, cards);
    QFETCH(QString, expected);
    Field f;
    int slot = 0;
    for (int p : cards)
        f.put({Side::Player, slot++}, p);
    f.put({Side::Opponent, 7}, 50);
    const Field out = arranged(f, Side::Player, numberedLayout());
    QCOMPARE(sideText(out, Side::Player), expected);
    QCOMPARE(sideText(out, Side::Opponent), QStringLiteral("7=50"));
}

QTEST_GUILESS_MAIN(tst_StandardLayout)
#include "tst_standardlayout.moc"
