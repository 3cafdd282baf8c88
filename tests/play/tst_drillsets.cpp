#include <QtTest>

#include <set>

#include "deck/poemtable.h"
#include "play/drillsets.h"

using namespace play;
using deck::PoemNo;
using deck::PoemTable;

namespace {

const DrillSet *findSet(const QString &name)
{
    for (const DrillSet &s : drillSets())
        if (s.name() == name)
            return &s;
    return nullptr;
}

} // namespace

class tst_DrillSets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PoemTable.fill(); }
    void setsByName_data();
    void setsByName();
    void familiesAndLengthsEachCoverTheHundredOnce();
    void setOrderIsAPermutationPinnedBySeed();
};

void tst_DrillSets::setsByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("poems");
    QTest::newRow("one syllable") << "一字決まり" << QList<int>{18, 22, 57, 70, 77, 81, 87};
    QTest::newRow("お by sound takes in あうことの") << "「お」の札" << QList<int>{5, 26, 44, 60, 72, 82, 95};
    QTest::newRow("six syllables") << "六字決まり" << QList<int>{11, 15, 31, 50, 64, 76};
    QTest::newRow("five syllables") << "五字決まり" << QList<int>{83, 93};
    QTest::newRow("a pair") << "友札「きみがため」" << QList<int>{15, 50};
    QTest::newRow("three sharing two morae") << "友札「おお」" << QList<int>{44, 60, 95};
    QTest::newRow("a group holding a pair") << "友札「あさ」" << QList<int>{31, 39, 64};
    QTest::newRow("the pair inside it") << "友札「あさぼらけ」" << QList<int>{31, 64};
    QTest::newRow("なに") << "友札「なに」" << QList<int>{19, 25, 88};
}

void tst_DrillSets::setsByName()
{
    QFETCH(QString, name);
    QFETCH(QList<int>, poems);
    const DrillSet *s = findSet(name);
    QVERIFY2(s, qPrintable(name));
    QCOMPARE(s->poems, poems);
}

void tst_DrillSets::familiesAndLengthsEachCoverTheHundredOnce()
{
    std::multiset<PoemNo> families, lengths;
    QStringList names;
    for (const DrillSet &s : drillSets()) {
        QVERIFY2(s.poems.size() >= (s.kind == DrillSet::Kind::Tomofuda ? 2 : 1), qPrintable(s.name()));
        QVERIFY2(!names.contains(s.name()), qPrintable(s.name()));
        names << s.name();
        if (s.kind == DrillSet::Kind::Family)
            families.insert(s.poems.begin(), s.poems.end());
        else if (s.kind != DrillSet::Kind::Tomofuda)
            lengths.insert(s.poems.begin(), s.poems.end());
    }
    std::multiset<PoemNo> all;
    for (PoemNo no = 1; no <= deck::kPoemCount; ++no)
        all.insert(no);
    QVERIFY(families == all);
    QVERIFY(lengths == all);
}

void tst_DrillSets::setOrderIsAPermutationPinnedBySeed()
{
    const QList<PoemNo> set = findSet(QStringLiteral("一字決まり"))->poems;
    platform::Random a, b;
    a.state = b.state = 24;
    const QList<PoemNo> order = drawSetOrder(a, set);
    QCOMPARE(drawSetOrder(b, set), order);
    QList<PoemNo> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(sorted, set);
}

QTEST_GUILESS_MAIN(tst_DrillSets)
#include "tst_drillsets.moc"
