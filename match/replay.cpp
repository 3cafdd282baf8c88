#include "replay.h"

namespace match {

namespace {

QString who(Side s)
{
    return s == Side::Player ? QStringLiteral("あなた") : QStringLiteral("相手");
}

const char *verdictName(Verdict v)
{
    switch (v) {
    case Verdict::Ignored: return "無効";
    case Verdict::Nothing: return "お手つきではない";
    case Verdict::Fault: return "お手つき";
    case Verdict::Taken: return "取り";
    }
    return "";
}

QString faultsName(const std::array<bool, 2> &f)
{
    if (f[0] && f[1])
        return QStringLiteral("両方");
    if (f[0] || f[1])
        return who(f[0] ? Side::Player : Side::Opponent);
    return QStringLiteral("なし");
}

QString takerName(const std::optional<Side> &s)
{
    return s ? who(*s) : QStringLiteral("なし");
}

// What differs between a judgement written and the one the rules make.
QString judgedDifference(const RecordStep &written, const RecordStep &rules)
{
    if (written.taker != rules.taker)
        return QStringLiteral("取ったのは記録では%1、ルールでは%2です")
            .arg(takerName(written.taker), takerName(rules.taker));
    if (written.faulted != rules.faulted)
        return QStringLiteral("お手つきは記録では%1、ルールでは%2です")
            .arg(faultsName(written.faulted), faultsName(rules.faulted));
    if (written.sent != rules.sent)
        return QStringLiteral("送った札は記録では あなた%1枚 相手%2枚、ルールでは あなた%3枚 相手%4枚です")
            .arg(written.sent[0])
            .arg(written.sent[1])
            .arg(rules.sent[0])
            .arg(rules.sent[1]);
    if (written.left != rules.left)
        return QStringLiteral("残り札は記録では あなた%1枚 相手%2枚、ルールでは あなた%3枚 相手%4枚です")
            .arg(written.left[0])
            .arg(written.left[1])
            .arg(rules.left[0])
            .arg(rules.left[1]);
    return QString();
}

class Player {
public:
    explicit Player(const MatchRecord &r) : m_(r.deal, r.order) { out_.arranged = r.deal; }

    // An empty reason: the step agrees with the rules.
    QString step(const RecordStep &s)
    {
        switch (s.kind) {
        case RecordStep::Kind::Move:
            settle();
            if (s.place.side != Side::Player || s.to.side != Side::Player)
                return QStringLiteral("動かせるのは自陣（P）の札だけです");
            if (!m_.rearrange(s.place.slot, s.to.slot))
                return whyNoMove(s.place);
            return QString();
        case RecordStep::Kind::Field: {
            std::array<int, kSlots> written{};
            for (const auto &[slot, poem] : s.cards)
                written[static_cast<std::size_t>(slot)] = poem;
            for (int k = 0; k < kSlots; ++k) {
                const int there = m_.field().at(s.side, k);
                if (there != written[static_cast<std::size_t>(k)])
                    return QStringLiteral("%1 の札は記録では%2、ルールでは%3です")
                        .arg(Place{s.side, k}.text(), cardName(written[static_cast<std::size_t>(k)]), cardName(there));
            }
            return QString();
        }
        case RecordStep::Kind::Reading:
            settle();
            lastTouch_ = nullptr;
            if (m_.readingNumber() == 0)
                out_.arranged = m_.field();
            if (!m_.startReading())
                return m_.readingOpen() ? QStringLiteral("前の読みがまだ終わっていません")
                       : m_.sender()    ? QStringLiteral("%1が送る札がまだ残っています").arg(who(*m_.sender()))
                                        : QStringLiteral("試合は終わっていて、次の読みはありません");
            if (m_.readingNumber() != s.number)
                return QStringLiteral("この読みは第%1首です").arg(m_.readingNumber());
            if (m_.poem() != s.poem)
                return QStringLiteral("読む順では、この読みは歌%1です").arg(m_.poem());
            return QString();
        case RecordStep::Kind::Touch: {
            // The rules judge touches in the order they come; a record that
            // lists a later hand first would hand the card to the wrong side.
            if (lastTouch_ && s.ms < lastTouch_->ms)
                return QStringLiteral("この手（%1 ms）は %2行目の手（%3 ms）より早い時刻です。"
                                      "一つの読みの手は時刻の順に書きます")
                    .arg(s.ms)
                    .arg(lastTouch_->line)
                    .arg(lastTouch_->ms);
            const bool tie = lastTouch_ && s.ms == lastTouch_->ms;
            lastTouch_ = &s;
            // A touch at the moment of the take finds its card already lifted.
            const bool justTaken = !m_.readingOpen() && m_.last().takenFrom == s.place;
            const int there = m_.field().at(s.place);
            if (there != s.poem && !(justTaken && s.poem == m_.last().poem))
                return wrongCard(s.place, s.poem, there);
            const TouchResult r = m_.touch(s.side, s.place, s.ms);
            if (r.verdict != s.verdict) {
                QString why = QStringLiteral("この手は記録では%1、ルールでは%2です")
                                  .arg(QString::fromUtf8(verdictName(s.verdict)), QString::fromUtf8(verdictName(r.verdict)));
                if (tie)
                    why += QStringLiteral("（同じ時刻の二つの手は続けて書き、札は札のあった側が取ります。"
                                          "負けた側の手は ignored と書きます）");
                return why;
            }
            return QString();
        }
        case RecordStep::Kind::End:
            if (!m_.readingOpen())
                return QStringLiteral("読みが開いていません");
            m_.endReading();
            return QString();
        case RecordStep::Kind::Send: {
            if (m_.sender() != s.side)
                return m_.sender() ? QStringLiteral("今送るのは%1です").arg(who(*m_.sender()))
                                   : QStringLiteral("今は誰も札を送りません");
            if (s.place.side != s.side)
                return QStringLiteral("送る札は送る側の陣から選びます（%1 は%2の陣ではありません）")
                    .arg(s.place.text(), who(s.side));
            if (const int there = m_.field().at(s.place); there != s.poem)
                return wrongCard(s.place, s.poem, there);
            if (!m_.send(s.side, s.place.slot))
                return QStringLiteral("%1の陣に札を置く場所がありません").arg(who(other(s.side)));
            const std::optional<Place> landed = m_.field().find(s.poem);
            if (!landed || *landed != s.to)
                return QStringLiteral("送った札は記録では %1、ルールでは %2 に置かれます"
                                      "（送られた札は受け取る側の最前列の空いた場所に、列 0, 17, 1, 16, … の順に入り、"
                                      "最前列が埋まれば後ろの段に同じ順で入ります）")
                    .arg(s.to.text(), landed ? landed->text() : QStringLiteral("―"));
            return QString();
        }
        case RecordStep::Kind::Judged: {
            if (m_.readingNumber() == 0 || m_.readingOpen())
                return QStringLiteral("判定する読みがまだ終わっていません");
            if (m_.sender())
                return QStringLiteral("%1が送る札がまだ残っています").arg(who(*m_.sender()));
            const QString diff = judgedDifference(s, judgedStep(m_));
            settle();
            return diff;
        }
        case RecordStep::Kind::Result:
            settle();
            if (m_.result() != s.result)
                return QStringLiteral("結果は記録では「%1」、ルールでは「%2」です")
                    .arg(resultName(s.result), resultName(m_.result()));
            return QString();
        }
        return QString();
    }

    // A record that ends mid-reading still shows that reading; one the
    // rules refused shows only the readings judged before.
    // A record whose readings were all read and judged names its result.
    bool endsWithoutResult(const RecordStep &last) const
    {
        return last.kind != RecordStep::Kind::Result && m_.readingNumber() == m_.readings() && !m_.readingOpen()
               && !m_.sender();
    }

    Replay finish(bool refused)
    {
        settle(!refused);
        out_.result = m_.result();
        for (Side s : {Side::Player, Side::Opponent}) {
            out_.faults[static_cast<std::size_t>(s)] = m_.faults(s);
            out_.left[static_cast<std::size_t>(s)] = m_.field().count(s);
        }
        return std::move(out_);
    }

    static QString resultName(Result r)
    {
        switch (r) {
        case Result::PlayerWon: return QStringLiteral("あなたの勝ち");
        case Result::OpponentWon: return QStringLiteral("あなたの負け");
        case Result::Draw: return QStringLiteral("引き分け");
        case Result::Ongoing: return QStringLiteral("試合中");
        }
        return QString();
    }

private:
    static QString cardName(int poem)
    {
        return poem ? QStringLiteral("歌%1").arg(poem) : QStringLiteral("なし");
    }

    // The card a record names at a place, against the one the rules see.
    static QString wrongCard(Place at, int written, int there)
    {
        if (!there)
            return QStringLiteral("記録は %1 に歌%2 があると書いていますが、ルールではそこに札はありません"
                                  "（札のない場所は「%1」と、歌番号を付けずに書きます）")
                .arg(at.text())
                .arg(written);
        if (!written)
            return QStringLiteral("記録は %1 を札のない場所と書いていますが、ルールではそこに歌%2 があります"
                                  "（「%1=%2」と書きます）")
                .arg(at.text())
                .arg(there);
        return QStringLiteral("記録は %1 に歌%2 があると書いていますが、ルールではそこにあるのは歌%3 です")
            .arg(at.text())
            .arg(written)
            .arg(there);
    }

    QString whyNoMove(Place from) const
    {
        if (m_.readingOpen())
            return QStringLiteral("第%1首の読みの間は札を動かせません（動かせるのは読みと読みの間です）")
                .arg(m_.readingNumber());
        if (const auto s = m_.sender())
            return QStringLiteral("%1が送る札がまだ残っているので、札を動かせません（送った後に動かせます）")
                .arg(who(*s));
        if (m_.result() != Result::Ongoing)
            return QStringLiteral("試合は終わっていて、札を動かせません");
        return QStringLiteral("%1 に動かせる札はありません").arg(from.text());
    }

    // The reading just closed is reported once its sends are done, or
    // whatever its state when the record ends.
    void settle(bool atEnd = false)
    {
        if (m_.readingNumber() <= reported_ || (!atEnd && (m_.readingOpen() || m_.sender())))
            return;
        reported_ = m_.readingNumber();
        out_.readings << ReplayedReading{m_.last(), {m_.field().count(Side::Player), m_.field().count(Side::Opponent)},
                                         m_.field()};
    }

    Match m_;
    Replay out_;
    int reported_ = 0;
    const RecordStep *lastTouch_ = nullptr; // the open reading's last touch written

};

} // namespace

Replay replayRecord(const MatchRecord &record)
{
    Player player(record);
    for (const RecordStep &s : record.steps) {
        const QString why = player.step(s);
        if (!why.isEmpty()) {
            Replay r = player.finish(true);
            r.errorLine = s.line;
            r.error = why;
            return r;
        }
    }
    if (!record.steps.isEmpty() && player.endsWithoutResult(record.steps.last())) {
        Replay r = player.finish(false);
        r.errorLine = record.steps.last().line;
        r.error = QStringLiteral("読みはすべて終わっています。記録は結果の行（result player | opponent | draw）で終えます");
        return r;
    }
    return player.finish(false);
}

QString readingText(const ReplayedReading &r)
{
    const ReadingSummary &s = r.summary;
    QString taker = takerName(s.taker);
    if (s.taker && s.takenFrom)
        taker += s.takenFrom->side == *s.taker ? QStringLiteral("（自陣）") : QStringLiteral("（敵陣）");
    return QStringLiteral("第%1首 歌%2%3: 取り %4、お手つき %5、送り あなた%6枚 相手%7枚、残り あなた%8枚 相手%9枚")
        .arg(s.number)
        .arg(s.poem)
        .arg(s.dead ? QStringLiteral("（空札）") : QString())
        .arg(taker, faultsName(s.faulted))
        .arg(s.sent[0])
        .arg(s.sent[1])
        .arg(r.left[0])
        .arg(r.left[1]);
}

QString resultText(const Replay &r)
{
    return QStringLiteral("結果: %1（残り あなた%2枚 相手%3枚、お手つき あなた%4回 相手%5回）")
        .arg(Player::resultName(r.result))
        .arg(r.left[0])
        .arg(r.left[1])
        .arg(r.faults[0])
        .arg(r.faults[1]);
}

} // namespace match
