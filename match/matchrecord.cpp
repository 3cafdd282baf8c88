#include "matchrecord.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

#include <set>

#include "deck/poemtable.h"

namespace match {

namespace {

const QString kMagic = QStringLiteral("kotoha-match");

QChar sideLetter(Side s)
{
    return s == Side::Player ? u'P' : u'O';
}

QString cardText(Place p, int poem)
{
    return poem ? p.text() + u'=' + QString::number(poem) : p.text();
}

// "2.0=12 2.1=45 ...": the cards of one side in slot order.
QString sideCards(const QList<std::pair<int, int>> &cards)
{
    QStringList out;
    for (const auto &[slot, poem] : cards)
        out << slotText(slot) + u'=' + QString::number(poem);
    return out.join(u' ');
}

QList<std::pair<int, int>> cardsOf(const Field &f, Side s)
{
    QList<std::pair<int, int>> out;
    for (int k = 0; k < kSlots; ++k)
        if (const int poem = f.at(s, k))
            out.append({k, poem});
    return out;
}

const char *verdictWord(Verdict v)
{
    switch (v) {
    case Verdict::Ignored: return "ignored";
    case Verdict::Nothing: return "none";
    case Verdict::Fault: return "fault";
    case Verdict::Taken: return "take";
    }
    return "";
}

const char *resultWord(Result r)
{
    switch (r) {
    case Result::PlayerWon: return "player";
    case Result::OpponentWon: return "opponent";
    case Result::Draw: return "draw";
    case Result::Ongoing: return "ongoing";
    }
    return "";
}

QString faultsText(const std::array<bool, 2> &f)
{
    QString out;
    if (f[0])
        out += u'P';
    if (f[1])
        out += u'O';
    return out.isEmpty() ? QStringLiteral("-") : out;
}

// The reader's failure, carried out of the helpers by return value.
struct Bad {
    QString reason;
};

std::optional<int> number(const QString &s, int lo, int hi)
{
    bool ok = false;
    const int n = s.toInt(&ok);
    if (!ok || n < lo || n > hi || s.startsWith(u'+'))
        return std::nullopt;
    return n;
}

std::optional<Side> side(const QString &s)
{
    if (s == QLatin1String("P"))
        return Side::Player;
    if (s == QLatin1String("O"))
        return Side::Opponent;
    return std::nullopt;
}

// "P2.3=17" or "P2.3" (no card there).
std::optional<std::pair<Place, int>> cardOf(const QString &s)
{
    const qsizetype eq = s.indexOf(u'=');
    const auto p = Place::fromText(eq < 0 ? QStringView(s) : QStringView(s).left(eq));
    if (!p)
        return std::nullopt;
    if (eq < 0)
        return std::pair{*p, 0};
    const auto poem = number(s.mid(eq + 1), 1, deck::kPoemCount);
    if (!poem)
        return std::nullopt;
    return std::pair{*p, *poem};
}

// The cards of one side after its letter: "2.0=12 ...", each slot and poem once.
std::optional<std::array<int, kSlots>> sideCardsOf(const QStringList &items, QString &why)
{
    std::array<int, kSlots> out{};
    std::set<int> poems;
    for (const QString &item : items) {
        const qsizetype eq = item.indexOf(u'=');
        const auto slot = eq < 0 ? std::nullopt : slotFromText(QStringView(item).left(eq));
        const auto poem = eq < 0 ? std::nullopt : number(item.mid(eq + 1), 1, deck::kPoemCount);
        if (!slot || !poem) {
            why = QStringLiteral("「%1」は 段.列=歌番号 の形ではありません").arg(item);
            return std::nullopt;
        }
        if (out[static_cast<std::size_t>(*slot)] || !poems.insert(*poem).second) {
            why = QStringLiteral("「%1」の場所か歌が二度出てきます").arg(item);
            return std::nullopt;
        }
        out[static_cast<std::size_t>(*slot)] = *poem;
    }
    return out;
}

std::optional<std::array<int, 2>> pairOf(const QString &s, int hi)
{
    const QStringList parts = s.split(u'/');
    if (parts.size() != 2)
        return std::nullopt;
    const auto a = number(parts[0], 0, hi);
    const auto b = number(parts[1], 0, hi);
    if (!a || !b)
        return std::nullopt;
    return std::array<int, 2>{*a, *b};
}

std::optional<RecordStep> judgedOf(const QStringList &t)
{
    if (t.size() != 5 || !t[1].startsWith(QLatin1String("taker=")) || !t[2].startsWith(QLatin1String("faults="))
        || !t[3].startsWith(QLatin1String("sent=")) || !t[4].startsWith(QLatin1String("left=")))
        return std::nullopt;
    RecordStep s;
    s.kind = RecordStep::Kind::Judged;
    const QString taker = t[1].mid(6);
    if (taker != QLatin1String("-")) {
        s.taker = side(taker);
        if (!s.taker)
            return std::nullopt;
    }
    const QString faults = t[2].mid(7);
    if (faults == QLatin1String("P") || faults == QLatin1String("PO"))
        s.faulted[0] = true;
    if (faults == QLatin1String("O") || faults == QLatin1String("PO"))
        s.faulted[1] = true;
    if (faults != QLatin1String("-") && !s.faulted[0] && !s.faulted[1])
        return std::nullopt;
    const auto sent = pairOf(t[3].mid(5), kSlots);
    const auto left = pairOf(t[4].mid(5), kSlots);
    if (!sent || !left)
        return std::nullopt;
    s.sent = *sent;
    s.left = *left;
    return s;
}

// One step line, already split; the header's words are the caller's.
std::optional<RecordStep> stepOf(const QStringList &t, QString &why)
{
    const QString &word = t[0];
    RecordStep s;
    auto shape = [&](const char *form) {
        why = QStringLiteral("「%1」の行は「%2」の形で書きます").arg(word, QString::fromUtf8(form));
        return std::nullopt;
    };
    if (word == QLatin1String("move")) {
        s.kind = RecordStep::Kind::Move;
        const auto from = t.size() == 3 ? Place::fromText(t[1]) : std::nullopt;
        const auto to = t.size() == 3 ? Place::fromText(t[2]) : std::nullopt;
        if (!from || !to)
            return shape("move P2.0 P1.3");
        s.place = *from;
        s.to = *to;
        return s;
    }
    if (word == QLatin1String("field")) {
        s.kind = RecordStep::Kind::Field;
        const auto sd = t.size() >= 2 ? side(t[1]) : std::nullopt;
        if (!sd)
            return shape("field P 2.0=12 2.1=45 …");
        s.side = *sd;
        const auto cards = sideCardsOf(t.mid(2), why);
        if (!cards)
            return std::nullopt;
        for (int k = 0; k < kSlots; ++k)
            if (const int poem = (*cards)[static_cast<std::size_t>(k)])
                s.cards.append({k, poem});
        return s;
    }
    if (word == QLatin1String("reading")) {
        s.kind = RecordStep::Kind::Reading;
        const auto n = t.size() == 3 ? number(t[1], 1, deck::kPoemCount) : std::nullopt;
        const auto poem = t.size() == 3 ? number(t[2], 1, deck::kPoemCount) : std::nullopt;
        if (!n || !poem)
            return shape("reading 読みの番号 歌番号");
        s.number = *n;
        s.poem = *poem;
        return s;
    }
    if (word == QLatin1String("touch")) {
        s.kind = RecordStep::Kind::Touch;
        const auto sd = t.size() == 5 ? side(t[1]) : std::nullopt;
        const auto card = t.size() == 5 ? cardOf(t[2]) : std::nullopt;
        bool ok = false;
        const qint64 ms = t.size() == 5 ? t[3].toLongLong(&ok) : 0;
        if (!sd || !card || !ok || t[3].startsWith(u'+'))
            return shape("touch P O0.3=17 1850 take");
        static const std::array<Verdict, 4> verdicts{Verdict::Ignored, Verdict::Nothing, Verdict::Fault,
                                                     Verdict::Taken};
        const auto v = std::find_if(verdicts.begin(), verdicts.end(),
                                    [&](Verdict x) { return t[4] == QLatin1String(verdictWord(x)); });
        if (v == verdicts.end()) {
            why = QStringLiteral("判定「%1」は take, fault, none, ignored のどれでもありません").arg(t[4]);
            return std::nullopt;
        }
        s.side = *sd;
        s.place = card->first;
        s.poem = card->second;
        s.ms = ms;
        s.verdict = *v;
        return s;
    }
    if (word == QLatin1String("end")) {
        s.kind = RecordStep::Kind::End;
        if (t.size() != 1)
            return shape("end");
        return s;
    }
    if (word == QLatin1String("send")) {
        s.kind = RecordStep::Kind::Send;
        const auto sd = t.size() == 4 ? side(t[1]) : std::nullopt;
        const auto card = t.size() == 4 ? cardOf(t[2]) : std::nullopt;
        const auto to = t.size() == 4 ? Place::fromText(t[3]) : std::nullopt;
        if (!sd || !card || card->second == 0 || !to)
            return shape("send P P2.4=55 O0.0");
        s.side = *sd;
        s.place = card->first;
        s.poem = card->second;
        s.to = *to;
        return s;
    }
    if (word == QLatin1String("judged")) {
        if (auto j = judgedOf(t))
            return j;
        return shape("judged taker=P faults=- sent=0/1 left=24/25");
    }
    if (word == QLatin1String("result")) {
        s.kind = RecordStep::Kind::Result;
        for (Result r : {Result::PlayerWon, Result::OpponentWon, Result::Draw})
            if (t.size() == 2 && t[1] == QLatin1String(resultWord(r))) {
                s.result = r;
                return s;
            }
        return shape("result player | opponent | draw");
    }
    why = QStringLiteral("「%1」という行は知りません").arg(word);
    return std::nullopt;
}

} // namespace

QString stepText(const RecordStep &s)
{
    switch (s.kind) {
    case RecordStep::Kind::Move:
        return QStringLiteral("move %1 %2").arg(s.place.text(), s.to.text());
    case RecordStep::Kind::Field:
        return QStringLiteral("field %1 %2").arg(sideLetter(s.side)).arg(sideCards(s.cards)).trimmed();
    case RecordStep::Kind::Reading:
        return QStringLiteral("reading %1 %2").arg(s.number).arg(s.poem);
    case RecordStep::Kind::Touch:
        return QStringLiteral("touch %1 %2 %3 %4")
            .arg(sideLetter(s.side))
            .arg(cardText(s.place, s.poem))
            .arg(s.ms)
            .arg(QLatin1String(verdictWord(s.verdict)));
    case RecordStep::Kind::End:
        return QStringLiteral("end");
    case RecordStep::Kind::Send:
        return QStringLiteral("send %1 %2 %3").arg(sideLetter(s.side)).arg(cardText(s.place, s.poem), s.to.text());
    case RecordStep::Kind::Judged:
        return QStringLiteral("judged taker=%1 faults=%2 sent=%3/%4 left=%5/%6")
            .arg(s.taker ? QString(sideLetter(*s.taker)) : QStringLiteral("-"), faultsText(s.faulted))
            .arg(s.sent[0])
            .arg(s.sent[1])
            .arg(s.left[0])
            .arg(s.left[1]);
    case RecordStep::Kind::Result:
        return QStringLiteral("result %1").arg(QLatin1String(resultWord(s.result)));
    }
    return QString();
}

QByteArray recordText(const MatchRecord &r)
{
    QStringList lines;
    lines << QStringLiteral("%1 %2").arg(kMagic).arg(kRecordVersion);
    if (!r.date.isEmpty())
        lines << QStringLiteral("date ") + r.date;
    if (r.level > 0)
        lines << QStringLiteral("level %1").arg(r.level);
    for (Side s : {Side::Player, Side::Opponent})
        lines << QStringLiteral("deal %1 %2").arg(sideLetter(s)).arg(sideCards(cardsOf(r.deal, s))).trimmed();
    QStringList order;
    for (int p : r.order)
        order << QString::number(p);
    lines << QStringLiteral("order ") + order.join(u' ');
    for (const RecordStep &s : r.steps)
        lines << stepText(s);
    return (lines.join(u'\n') + u'\n').toUtf8();
}

RecordStep judgedStep(const Match &m)
{
    RecordStep s;
    s.kind = RecordStep::Kind::Judged;
    s.taker = m.last().taker;
    s.faulted = m.last().faulted;
    s.sent = m.last().sent;
    s.left = {m.field().count(Side::Player), m.field().count(Side::Opponent)};
    return s;
}

RecordRead readRecord(const QByteArray &text)
{
    RecordRead out;
    MatchRecord record;
    bool versionSeen = false;
    std::array<bool, 2> dealt{};
    bool ordered = false;
    auto fail = [&](int line, const QString &why) {
        out.line = line;
        out.reason = why;
        return out;
    };
    // Lines end at LF, CRLF or a lone CR (an old Mac's files); the text is
    // walked in place, as a record may hold a million short lines.
    int line = 0;
    for (qsizetype start = 0; start <= text.size();) {
        ++line;
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const QByteArrayView raw(text.constData() + start, end - start);
        start = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8(raw);
        if (utf8.hasError())
            return fail(line, QStringLiteral("UTF-8 の文字ではないバイトがあります"));
        const QString trimmed = decoded.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        static const QRegularExpression space(QStringLiteral("[ \\t]+"));
        const QStringList t = trimmed.split(space);
        const QString &word = t[0];
        if (!versionSeen) {
            if (word != kMagic)
                return fail(line, QStringLiteral("試合の記録ではありません（最初の行は「%1 %2」）").arg(kMagic).arg(kRecordVersion));
            if (t.size() != 2 || t[1] != QString::number(kRecordVersion))
                return fail(line, QStringLiteral("この版の記録は読めません（読めるのは版 %1）").arg(kRecordVersion));
            versionSeen = true;
            continue;
        }
        const bool headerDone = dealt[0] && dealt[1] && ordered;
        if (word == QLatin1String("date") || word == QLatin1String("level") || word == QLatin1String("deal")
            || word == QLatin1String("order")) {
            if (!record.steps.isEmpty())
                return fail(line, QStringLiteral("「%1」は試合の前に書きます").arg(word));
            if (word == QLatin1String("date")) {
                record.date = trimmed.mid(4).trimmed();
            } else if (word == QLatin1String("level")) {
                const auto n = t.size() == 2 ? number(t[1], 1, 999) : std::nullopt;
                if (!n)
                    return fail(line, QStringLiteral("レベルは 1 から 999 までの数です"));
                record.level = *n;
            } else if (word == QLatin1String("deal")) {
                const auto sd = t.size() >= 2 ? side(t[1]) : std::nullopt;
                if (!sd)
                    return fail(line, QStringLiteral("「deal」の後には P か O を書きます"));
                if (dealt[static_cast<std::size_t>(*sd)])
                    return fail(line, QStringLiteral("同じ側の札が二度配られています"));
                QString why;
                const auto cards = sideCardsOf(t.mid(2), why);
                if (!cards)
                    return fail(line, why);
                for (int k = 0; k < kSlots; ++k) {
                    const int poem = (*cards)[static_cast<std::size_t>(k)];
                    if (!poem)
                        continue;
                    if (record.deal.find(poem))
                        return fail(line, QStringLiteral("歌%1 は両方の側に配られています").arg(poem));
                    record.deal.put({*sd, k}, poem);
                }
                dealt[static_cast<std::size_t>(*sd)] = true;
            } else {
                if (ordered)
                    return fail(line, QStringLiteral("読む順が二度書かれています"));
                std::set<int> seen;
                for (const QString &item : t.mid(1)) {
                    const auto poem = number(item, 1, deck::kPoemCount);
                    if (!poem || !seen.insert(*poem).second)
                        return fail(line, QStringLiteral("読む順の「%1」は 1 から 100 までの、まだ出ていない歌番号ではありません").arg(item));
                    record.order << *poem;
                }
                if (record.order.isEmpty())
                    return fail(line, QStringLiteral("読む順に歌がありません"));
                ordered = true;
            }
            continue;
        }
        if (!headerDone)
            return fail(line, QStringLiteral("試合の前に deal P、deal O と order を書きます"));
        QString why;
        auto step = stepOf(t, why);
        if (!step)
            return fail(line, why);
        step->line = line;
        record.steps << *step;
    }
    if (!versionSeen)
        return fail(1, QStringLiteral("試合の記録ではありません（空です）"));
    if (!(dealt[0] && dealt[1] && ordered))
        return fail(line, QStringLiteral("deal P、deal O と order がそろっていません"));
    out.record = std::move(record);
    return out;
}

} // namespace match
