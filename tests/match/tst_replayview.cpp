#include <QtTest>

#include <QLabel>
#include <QPushButton>

#include "../support/fakeservices.h"

#include "deck/poemtable.h"
#include "play/floorgeometry.h"
#include "play/matchcard.h"
#include "match/replayview.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"

using namespace match;

class tst_ReplayView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void stepsThroughTheReadingsAsTheFloorStood();
    void brokenRecordsAreRefusedOrStopWhereTheRulesDo();
    void showsMovesBetweenReadingsOfAHandWrittenRecord();

private:
    QString write(const QByteArray &text);
    QTemporaryDir dir_;
    fakes::FakeMessages messages_;
};

void tst_ReplayView::initTestCase()
{
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
}

QString tst_ReplayView::write(const QByteArray &text)
{
    static int n = 0;
    const QString path = dir_.filePath(QStringLiteral("record%1.txt").arg(++n));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return QString();
    return path;
}

void tst_ReplayView::stepsThroughTheReadingsAsTheFloorStood()
{
    const QString path = write("kotoha-match 1\n"
                               "deal P 2.0=1 2.1=2\n"
                               "deal O 2.0=3 2.1=4\n"
                               "order 3 5 1\n"
                               "reading 1 3\n"
                               "touch P O2.0=3 1200 take\n"
                               "send P P2.1=2 O0.0\n"
                               "reading 2 5\n"
                               "end\n");
    const auto view = MatchReplayView::open(deck::PoemTable, messages_, path);
    QVERIFY(view);
    QCOMPARE(view->frames(), 3);
    QVERIFY(!view->BtnPrev->isEnabled());
    QCOMPARE(view->cardOf(3)->geometry(), placeRect({Side::Opponent, slotAt(2, 0)}));

    // After the first reading: the card taken stays where it lay, in the
    // player's colour, and the one sent across lies turned on the other side.
    view->BtnNext->click();
    QCOMPARE(view->frame(), 1);
    QVERIFY(view->cardOf(3)->isVisibleTo(view.get()));
    QCOMPARE(view->cardOf(3)->Color(), platform::colors::clBlue);
    QCOMPARE(view->cardOf(2)->geometry(), placeRect({Side::Opponent, slotAt(0, 0)}));
    QVERIFY(view->cardOf(2)->upsideDown());
    QVERIFY2(view->LblReading->text().contains(QStringLiteral("取り あなた（敵陣）")), qPrintable(view->LblReading->text()));

    view->BtnNext->click();
    QVERIFY(!view->cardOf(3)->isVisibleTo(view.get()));
    QVERIFY(!view->BtnNext->isEnabled());
    QVERIFY(view->LblReading->text().contains(QStringLiteral("空札")));
    view->BtnNext->click(); // disabled: stays on the last reading
    QCOMPARE(view->frame(), 2);
    view->BtnPrev->click();
    view->BtnPrev->click();
    QCOMPARE(view->frame(), 0);
    QCOMPARE(view->cardOf(2)->geometry(), placeRect({Side::Player, slotAt(2, 1)}));
}

void tst_ReplayView::brokenRecordsAreRefusedOrStopWhereTheRulesDo()
{
    fakes::FakeMessages messages;
    QVERIFY(!MatchReplayView::open(deck::PoemTable, messages, write("kotoha-match 1\ndeal P 2.0=1\nmove\n")));
    QVERIFY(!MatchReplayView::open(deck::PoemTable, messages, dir_.filePath(QStringLiteral("none.txt"))));
    QCOMPARE(messages.informed.size(), 2);
    QVERIFY2(messages.informed[0].contains(QStringLiteral("3行目")), qPrintable(messages.informed[0]));

    const auto view = MatchReplayView::open(deck::PoemTable, messages,
                                            write("kotoha-match 1\ndeal P 2.0=1\ndeal O 2.0=3\n"
                                                  "order 1 3\nreading 1 1\n"
                                                  "touch P O2.0=3 700 take\n"));
    QVERIFY(view);
    QCOMPARE(view->frames(), 1);
    QVERIFY2(view->LblReading->text().contains(QStringLiteral("6行目で止まりました")), qPrintable(view->LblReading->text()));
}

// A record of the replay test, as the player would open it from a file.
void tst_ReplayView::showsMovesBetweenReadingsOfAHandWrittenRecord()
{
    const QString path = QFINDTESTDATA("records/move-between-readings.txt");
    QVERIFY(!path.isEmpty());
    const auto view = MatchReplayView::open(deck::PoemTable, messages_, path);
    QVERIFY(view);
    QCOMPARE(view->frames(), 4);

    // The card received in the first reading lands in the front row; the
    // moves before the second put it and the other card elsewhere.
    view->BtnNext->click();
    QCOMPARE(view->cardOf(3)->geometry(), placeRect({Side::Player, slotAt(0, 0)}));
    view->BtnNext->click();
    QCOMPARE(view->cardOf(2)->geometry(), placeRect({Side::Player, slotAt(1, 5)}));
    QCOMPARE(view->cardOf(3)->geometry(), placeRect({Side::Opponent, slotAt(0, 0)}));
}

QTEST_MAIN(tst_ReplayView)
#include "tst_replayview.moc"
