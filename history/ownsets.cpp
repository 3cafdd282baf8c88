#include "ownsets.h"

#include <algorithm>

namespace history {

namespace {

bool isSeparator(QChar c)
{
    return c.isSpace() || c == u',' || c == u'，' || c == u'、';
}

// What the player typed, shortened so that a message stays one line.
QString quoted(QStringView token)
{
    return QStringLiteral("「%1」").arg(token.size() > 10 ? token.left(10).toString() + QStringLiteral("…") : token.toString());
}

} // namespace

QString nameProblem(const QString &name, const QStringList &others)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("組の名前を入れてください。");
    if (trimmed.size() > kSetNameMax)
        return QStringLiteral("組の名前は%1文字までです。").arg(kSetNameMax);
    if (std::any_of(trimmed.cbegin(), trimmed.cend(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QStringLiteral("組の名前に使えない文字があります。");
    for (const QString &other : others)
        if (other.trimmed() == trimmed)
            return QStringLiteral("「%1」という組はもうあります。").arg(trimmed);
    return {};
}

QString poemsProblem(const QList<int> &poems)
{
    if (poems.isEmpty())
        return QStringLiteral("札が一枚も選ばれていません。");
    QList<bool> seen(101, false);
    for (int p : poems) {
        if (p < 1 || p > 100)
            return QStringLiteral("%1は1から100の番号ではありません。").arg(p);
        if (seen[p])
            return QStringLiteral("%1番が二度あります。").arg(p);
        seen[p] = true;
    }
    return {};
}

QString setLine(const QString &name, const QList<int> &poems)
{
    QStringList numbers;
    for (int p : poems)
        numbers << QString::number(p);
    const QString list = numbers.join(QLatin1Char(' '));
    return name.trimmed().isEmpty() ? list : name.trimmed() + QStringLiteral(": ") + list;
}

ParsedLine parseSetLine(QStringView line)
{
    ParsedLine parsed;
    const qsizetype colon = std::max(line.lastIndexOf(u':'), line.lastIndexOf(u'：'));
    QStringView numbers = line;
    if (colon >= 0) {
        parsed.name = line.left(colon).trimmed().toString();
        numbers = line.mid(colon + 1);
        if (!parsed.name.isEmpty()) {
            parsed.problem = nameProblem(parsed.name, {});
            if (!parsed.problem.isEmpty())
                return parsed;
        }
    }
    // Full-width digits as their ASCII twins.
    QString ascii = numbers.toString();
    for (QChar &c : ascii)
        if (c >= u'０' && c <= u'９')
            c = QChar(u'0' + (c.unicode() - u'０'));

    qsizetype i = 0;
    while (i < ascii.size()) {
        if (isSeparator(ascii[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < ascii.size() && !isSeparator(ascii[end]))
            ++end;
        const QStringView token = QStringView(ascii).mid(i, end - i);
        i = end;
        const bool digits = std::all_of(token.begin(), token.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!digits) {
            parsed.problem = QStringLiteral("%1は札の番号ではありません。").arg(quoted(token));
            return parsed;
        }
        // Leading zeros are allowed; more than three digits after them is out of range.
        QStringView significant = token;
        while (significant.size() > 1 && significant.front() == u'0')
            significant = significant.mid(1);
        const int number = significant.size() <= 3 ? significant.toInt() : 1000;
        if (number < 1 || number > 100) {
            parsed.problem = QStringLiteral("%1は1から100の番号ではありません。").arg(quoted(token));
            return parsed;
        }
        parsed.poems << number;
    }
    parsed.problem = poemsProblem(parsed.poems);
    std::sort(parsed.poems.begin(), parsed.poems.end());
    return parsed;
}

ParsedLine parseSetFile(const QByteArray &bytes)
{
    if (bytes.size() > kSetFileMax)
        return {{}, {}, QStringLiteral("ファイルが大きすぎます(組は1行です)。")};
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(u'\r', u'\n');
    for (const QString &line : text.split(u'\n'))
        if (!line.trimmed().isEmpty())
            return parseSetLine(line);
    return {{}, {}, QStringLiteral("札の番号の行がありません。")};
}

} // namespace history
