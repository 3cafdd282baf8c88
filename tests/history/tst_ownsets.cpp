#include <QtTest>

#include <QSqlQuery>

#include "history/database.h"
#include "history/ownsets.h"
#include "history/playerstore.h"

using namespace history;

class tst_OwnSets : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void lines_data();
    void lines();
    void setsAndOptionsOutliveTheProgram();
};

void tst_OwnSets::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("others");
    QTest::addColumn<QString>("says"); // part of the problem; empty: the name will do
    QTest::newRow("trimmed") << " 自陣 " << QStringList{"敵陣"} << "";
    QTest::newRow("blank") << " \u3000" << QStringList{} << "名前を入れて";
    QTest::newRow("twenty characters") << QString(20, u'あ') << QStringList{} << "";
    QTest::newRow("twenty-one characters") << QString(21, u'あ') << QStringList{} << "20文字まで";
    QTest::newRow("taken, after trimming") << "友札" << QStringList{"友札 "} << "「友札」という組はもうあります";
    QTest::newRow("a control character") << "a\ab" << QStringList{} << "使えない文字";
    QTest::newRow("eleven emoji") << QString("😀").repeated(11) << QStringList{} << "";
    QTest::newRow("twenty families, each one picture") << QString("👨‍👩‍👧").repeated(20) << QStringList{} << "";
    QTest::newRow("twenty-one flags") << QString("🇯🇵").repeated(21) << QStringList{} << "20文字まで";
    QTest::newRow("twenty letters with accents") << QString("e\u0301").repeated(20) << QStringList{} << "";
    QTest::newRow("zero-width spaces") << "\u200B\u200B" << QStringList{} << "見える文字がありません";
    QTest::newRow("a filler drawn as nothing") << "\u3164 \u3164" << QStringList{} << "見える文字がありません";
    QTest::newRow("accents alone") << "\u0301\u0308" << QStringList{} << "見える文字がありません";
    QTest::newRow("taken, but for a direction override") << "\u202E友札" << QStringList{"友札"} << "もうあります";
}

void tst_OwnSets::names()
{
    QFETCH(QString, name);
    QFETCH(QStringList, others);
    QFETCH(QString, says);
    const QString problem = nameProblem(name, others);
    QVERIFY2(says.isEmpty() ? problem.isEmpty() : problem.contains(says), qPrintable(problem));
}

void tst_OwnSets::lines_data()
{
    QTest::addColumn<QByteArray>("input"); // UTF-8
    QTest::addColumn<bool>("file");        // read as a file's bytes, else as one line
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("poems");
    QTest::addColumn<QString>("says"); // part of the problem; empty: accepted
    auto ok = [](const char *row, const char *input, const QString &name, const QList<int> &poems, bool file = false) {
        QTest::newRow(row) << QByteArray(input) << file << name << poems << QString();
    };
    auto refused = [](const char *row, const char *input, const QString &says, bool file = false) {
        QTest::newRow(row) << QByteArray(input) << file << QString() << QList<int>{} << says;
    };
    ok("spaces", "1 5 23", "", {1, 5, 23});
    ok("commas, ideographic commas, out of order", "23,5、 1，", "", {1, 5, 23});
    ok("full-width digits and space", "８７\u3000１８", "", {18, 87});
    ok("leading zeros", "007 100", "", {7, 100});
    ok("name up to the last colon", " a:b : 3 2", "a:b", {2, 3});
    ok("full-width colon", "一字決まり：87 18", "一字決まり", {18, 87});
    ok("file: BOM, blank lines, CRLF", "\xef\xbb\xbf\r\n  \r\n苦手: 4\r\n5\r\n", "苦手", {4}, true);
    refused("zero", "0 5", "「0」は1から100");
    refused("one hundred and one", "5 101", "「101」は1から100");
    refused("a number too long for an int", "99999999999999999999", "1から100");
    refused("twice", "5 7 5", "5番が二度");
    refused("not a number", "5 x7", "「x7」は札の番号ではありません");
    refused("name and no numbers", "名前:", "一枚も");
    refused("name too long", "あああああああああああああああああああああ: 1", "20文字まで");
    refused("file: only blank lines", "\n \n", "行がありません", true);
    refused("file: too large", QByteArray(kSetFileMax + 1, '1').constData(), "大きすぎ", true);
    ok("format controls out of the name", "\u202E自陣\u200B\u2066 :1", "自陣", {1});
    ok("an emoji sequence keeps its joiner", "\u200D👨‍👩‍👧\u200D: 2", "👨‍👩‍👧", {2});
    refused("file: Shift_JIS", "\x8e\xa9\x90\x77: 1 2\n", "UTF-8 ではありません", true);
    refused("file: UTF-16", "\xff\xfe" "1", "UTF-8 ではありません", true);
    refused("file: JIS", "\x1b$B<+?X\x1b(B: 1\n", "UTF-8 ではありません", true);
    refused("file: a picture", "\x89PNG\r\n\x1a\n\x01:\x02\x03 7", "組のファイルではありません", true);
}

void tst_OwnSets::lines()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, file);
    QFETCH(QString, name);
    QFETCH(QList<int>, poems);
    QFETCH(QString, says);
    const ParsedLine parsed = file ? parseSetFile(input) : parseSetLine(QString::fromUtf8(input));
    if (!says.isEmpty()) {
        QVERIFY2(parsed.problem.contains(says), qPrintable(parsed.problem));
        return;
    }
    QVERIFY2(parsed.problem.isEmpty(), qPrintable(parsed.problem));
    QCOMPARE(parsed.name, name);
    QCOMPARE(parsed.poems, poems);
    // What is exported reads back as the same set.
    const ParsedLine again = parseSetLine(setLine(parsed.name, parsed.poems));
    QCOMPARE(again.name, name);
    QCOMPARE(again.poems, poems);
}

// A history written before the sets opens, gains them and keeps its takes;
// the sets and options are there again for the next connection.
void tst_OwnSets::setsAndOptionsOutliveTheProgram()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.sqlite");
    {
        // A file as the program wrote it before the sets, with one take.
        Database old(path);
        QCOMPARE(old.open(), OpenResult::Ok);
        Take take;
        take.poem = 7;
        QVERIFY(old.insert(take, QDateTime(QDate(2026, 12, 6), QTime(20, 0))));
        for (const char *sql : {"DROP TABLE own_sets", "DROP TABLE options", "PRAGMA user_version = 1"})
            QVERIFY2(QSqlQuery(old.db()).exec(QLatin1String(sql)), sql);
    }
    QVERIFY(loadOwnSets(path).isEmpty());
    QCOMPARE(loadReviewOptions(path).retention, 0.9);

    OwnSet field{0, QStringLiteral("自陣"), {3, 15, 22}};
    OwnSet pairs{0, QStringLiteral("友札"), {1, 2}};
    QCOMPARE(saveOwnSet(path, field), QString());
    QCOMPARE(saveOwnSet(path, pairs), QString());
    QVERIFY(field.id > 0 && pairs.id > field.id);
    field.name = QStringLiteral("自陣の札");
    field.poems = {3, 15};
    QCOMPARE(saveOwnSet(path, field), QString());
    OwnSet clash{0, QStringLiteral("友札"), {9}};
    QVERIFY(saveOwnSet(path, clash).contains(QStringLiteral("もうあります")));
    OwnSet gone{0, QStringLiteral("消す"), {50}};
    QCOMPARE(saveOwnSet(path, gone), QString());
    QCOMPARE(deleteOwnSet(path, gone.id), QString());
    QCOMPARE(saveReviewOptions(path, {0.85, 12}), QString());

    const QList<OwnSet> sets = loadOwnSets(path);
    QCOMPARE(sets.size(), 2);
    QCOMPARE(sets[0].id, field.id);
    QCOMPARE(sets[0].name, QStringLiteral("自陣の札"));
    QCOMPARE(sets[0].poems, (QList<int>{3, 15}));
    QCOMPARE(sets[1].name, QStringLiteral("友札"));
    QCOMPARE(sets[1].poems, (QList<int>{1, 2}));
    QCOMPARE(loadReviewOptions(path).retention, 0.85);
    QCOMPARE(loadReviewOptions(path).newPerDay, 12);

    // The takes are kept.
    Database db(path);
    QVERIFY(db.openForReading());
    QCOMPARE(db.schemaVersion(), kSchemaVersion);
    QSqlQuery q(db.db());
    QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM readings")) && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
}

QTEST_GUILESS_MAIN(tst_OwnSets)
#include "tst_ownsets.moc"
