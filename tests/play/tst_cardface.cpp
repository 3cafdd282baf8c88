#include <QtTest>

#include "deck/poemtable.h"
#include "play/cardface.h"
#include "platform/sjis.h"

class tst_CardFace : public QObject {
    Q_OBJECT
private slots:
    void everyVerseWritesInThreeEvenColumns();
};

// As a card is written: three columns, none more than one kana longer than
// another and the longer first, every kana kept, no space inside a column.
void tst_CardFace::everyVerseWritesInThreeEvenColumns()
{
    deck::PoemTable.fill();
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        for (const auto &bytes : {deck::PoemTable[p].Kaminoku.toByteArray(), deck::PoemTable[p].Shimonoku.toByteArray()}) {
            const QString verse = platform::sjis::decode(bytes);
            const QStringList columns = play::evenColumns(verse).split(QStringLiteral("\r\n"));
            QCOMPARE(columns.size(), 3);
            QString kana = verse;
            kana.remove(QChar(0x3000));
            QCOMPARE(columns.join(QString()), kana);
            QVERIFY2(columns[0].size() >= columns[1].size() && columns[1].size() >= columns[2].size()
                         && columns[0].size() - columns[2].size() <= 1,
                     qPrintable(QStringLiteral("%1: %2").arg(p).arg(columns.join(QLatin1Char('/')))));
        }
    }
}

QTEST_GUILESS_MAIN(tst_CardFace)
#include "tst_cardface.moc"
