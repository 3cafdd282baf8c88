#include "ownsets.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>

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

constexpr char32_t kJoiner = 0x200D;

// A character that shows something by itself: a letter, digit, sign or
// symbol, but not the fillers that are letters drawn as nothing.
bool isVisible(char32_t c)
{
    switch (c) {
    case 0x115F: case 0x1160: case 0x3164: case 0xFFA0: // Hangul fillers
    case 0x2800:                                         // the blank braille pattern
        return false;
    }
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase: case QChar::Letter_Lowercase: case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier: case QChar::Letter_Other:
    case QChar::Number_DecimalDigit: case QChar::Number_Letter: case QChar::Number_Other:
    case QChar::Punctuation_Connector: case QChar::Punctuation_Dash: case QChar::Punctuation_Open:
    case QChar::Punctuation_Close: case QChar::Punctuation_InitialQuote: case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Symbol_Math: case QChar::Symbol_Currency: case QChar::Symbol_Modifier: case QChar::Symbol_Other:
        return true;
    default:
        return false;
    }
}

// A joiner stays only between two characters it can join.
bool joins(uint c)
{
    return c != kJoiner && !QChar::isSpace(char32_t(c));
}

int graphemes(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

} // namespace

QString setName(const QString &typed)
{
    QList<uint> kept;
    for (uint c : typed.toUcs4())
        if (c == kJoiner || QChar::category(char32_t(c)) != QChar::Other_Format)
            kept << c;
    QList<uint> out;
    for (qsizetype i = 0; i < kept.size(); ++i)
        if (kept[i] != kJoiner || (i > 0 && i + 1 < kept.size() && joins(kept[i - 1]) && joins(kept[i + 1])))
            out << kept[i];
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(out.constData()), out.size()).trimmed();
}

QString nameProblem(const QString &name, const QStringList &others)
{
    const QString kept = setName(name);
    if (kept.isEmpty() && name.trimmed().isEmpty())
        return QStringLiteral("組の名前を入れてください。");
    const QList<uint> chars = kept.toUcs4();
    if (std::any_of(chars.cbegin(), chars.cend(), [](uint c) { return QChar::category(char32_t(c)) == QChar::Other_Control; }))
        return QStringLiteral("組の名前に使えない文字があります。");
    if (std::none_of(chars.cbegin(), chars.cend(), [](uint c) { return isVisible(char32_t(c)); }))
        return QStringLiteral("組の名前に見える文字がありません。");
    if (graphemes(kept) > kSetNameMax)
        return QStringLiteral("組の名前は%1文字までです。").arg(kSetNameMax);
    for (const QString &other : others)
        if (setName(other) == kept)
            return QStringLiteral("「%1」という組はもうあります。").arg(kept);
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
    const QString kept = setName(name);
    return kept.isEmpty() ? list : kept + QStringLiteral(": ") + list;
}

ParsedLine parseSetLine(QStringView line)
{
    ParsedLine parsed;
    const qsizetype colon = std::max(line.lastIndexOf(u':'), line.lastIndexOf(u'：'));
    QStringView numbers = line;
    if (colon >= 0) {
        parsed.name = setName(line.left(colon).toString());
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
    auto refused = [](const QString &why) { return ParsedLine{{}, {}, why}; };
    if (bytes.size() > kSetFileMax)
        return refused(QStringLiteral("ファイルが大きすぎます(組は1行です)。"));
    const QString otherEncoding =
        QStringLiteral("文字コードが UTF-8 ではありません(Shift_JIS などのファイルは読めません)。"
                       "UTF-8 で保存し直してください。");
    // UTF-16 puts a zero beside every ASCII letter: known by its mark.
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff"))
        return refused(otherEncoding);
    // Text holds no control bytes but tabs and line ends; ESC starts the
    // shifts of the 7-bit Japanese encoding (JIS).
    const bool binary = std::any_of(bytes.cbegin(), bytes.cend(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != '\v' && u != 0x1b;
    });
    if (binary)
        return refused(QStringLiteral("組のファイルではありません(文字だけのファイルではありません)。"));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError() || bytes.contains('\x1b'))
        return refused(otherEncoding);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(u'\r', u'\n');
    for (const QString &line : text.split(u'\n'))
        if (!line.trimmed().isEmpty())
            return parseSetLine(line);
    return refused(QStringLiteral("札の番号の行がありません。"));
}

} // namespace history
