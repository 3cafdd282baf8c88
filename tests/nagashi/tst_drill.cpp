#include <QtTest>

#include <set>

#include "deck/spoken.h"
#include "nagashi/drill.h"

using nagashi::CardResult;

namespace {

int shared(int a, int b)
{
    const auto &x = deck::spokenKaminoku(a).morae;
    const auto &y = deck::spokenKaminoku(b).morae;
    int k = 0;
    while (k < x.size() && k < y.size() && x[k].kana == y[k].kana)
        ++k;
    return k;
}

// "poem:ms" per card, "x" after a miss: "3:1500 6:2000x".
QList<CardResult> parseRun(const QString &text)
{
    QList<CardResult> run;
    for (const QString &card : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = card.split(QLatin1Char(':'));
        run << CardResult{parts[0].toInt(), QString(parts[1]).remove(QLatin1Char('x')).toLongLong(),
                          !parts[1].endsWith(QLatin1Char('x'))};
    }
    return run;
}

QString poems(const QList<int> &list)
{
    QStringList s;
    for (int p : list)
        s << QString::number(p);
    return s.join(QLatin1Char(','));
}

QString poems(const QList<CardResult> &cards)
{
    QList<int> list;
    for (const CardResult &c : cards)
        list << c.poem;
    return poems(list);
}

} // namespace

class tst_Drill : public QObject {
    Q_OBJECT
private slots:
    void lookAlikesShareTheLongestOpenings_data();
    void lookAlikesShareTheLongestOpenings();
    void everyPoemGetsFourChoicesThatReadApart();
    void summary_data();
    void summary();
};

void tst_Drill::lookAlikesShareTheLongestOpenings_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QList<int>>("mustOffer");
    QTest::newRow("あさぼらけ: its pair, then あさじうの") << 31 << QList<int>{64, 39};
    QTest::newRow("なにわがた: なにわえの, then なにしおわば") << 19 << QList<int>{88, 25};
    QTest::newRow("むらさめの: a one-syllable decider, others drawn") << 87 << QList<int>{};
}

void tst_Drill::lookAlikesShareTheLongestOpenings()
{
    QFETCH(int, answer);
    QFETCH(QList<int>, mustOffer);
    for (std::uint32_t seed : {1u, 24u, 977u}) {
        platform::Random rng{seed};
        const nagashi::Choices c = nagashi::drawChoices(rng, answer);
        QCOMPARE(c.poems[std::size_t(c.answer)], answer);
        const std::set<int> offered(c.poems.begin(), c.poems.end());
        for (int p : mustOffer)
            QVERIFY2(offered.count(p), qPrintable(QStringLiteral("seed %1: %2 left out").arg(seed).arg(p)));
        // No poem left out opens more like the answer than one offered.
        int least = 99;
        for (int p : offered)
            least = p == answer ? least : std::min(least, shared(answer, p));
        for (int p = 1; p <= 100; ++p)
            QVERIFY2(offered.count(p) || shared(answer, p) <= least, qPrintable(QString::number(p)));
    }
}

void tst_Drill::everyPoemGetsFourChoicesThatReadApart()
{
    platform::Random rng{7};
    std::set<int> places;
    for (int p = 1; p <= 100; ++p) {
        const nagashi::Choices c = nagashi::drawChoices(rng, p);
        QCOMPARE(c.poems[std::size_t(c.answer)], p);
        places.insert(c.answer);
        std::set<QString> shown;
        for (int q : c.poems)
            shown.insert(nagashi::decidingSyllables(q));
        QCOMPARE(shown.size(), std::size_t(nagashi::kChoiceCount));
    }
    QCOMPARE(places.size(), std::size_t(nagashi::kChoiceCount));
}

void tst_Drill::summary_data()
{
    QTest::addColumn<QString>("run");
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("slowest");
    QTest::addColumn<QString>("misses");
    QTest::addColumn<QString>("redrill");
    QTest::newRow("no miss: the slowest above the median come back")
        << "1:500 2:900 3:1500 4:700" << 4 << "3,2,4,1" << "" << "3,2";
    QTest::newRow("misses first, in the order answered, then the slow")
        << "5:400 6:2000x 7:300x 8:1000 9:600" << 3 << "8,9,5" << "6,7" << "6,7,8";
    QTest::newRow("ten of twelve shown, those above the median re-drilled")
        << "1:100 2:200 3:300 4:400 5:500 6:600 7:700 8:800 9:900 10:1000 11:1100 12:1200" << 12
        << "12,11,10,9,8,7,6,5,4,3" << "" << "12,11,10,9,8,7";
    QTest::newRow("equal times keep the order answered, none slow") << "4:500 2:500 9:500" << 3 << "4,2,9" << ""
                                                                    << "";
    QTest::newRow("all missed") << "1:100x 2:200x" << 0 << "" << "1,2" << "1,2";
}

void tst_Drill::summary()
{
    QFETCH(QString, run);
    QFETCH(int, right);
    QFETCH(QString, slowest);
    QFETCH(QString, misses);
    QFETCH(QString, redrill);
    const nagashi::Summary s = nagashi::summarise(parseRun(run), 0);
    QCOMPARE(s.right, right);
    QCOMPARE(poems(s.slowest), slowest);
    QCOMPARE(poems(s.misses), misses);
    QCOMPARE(poems(s.redrill), redrill);
}

QTEST_GUILESS_MAIN(tst_Drill)
#include "tst_drill.moc"
