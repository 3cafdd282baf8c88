#include "commandline.h"

#include <QCommandLineParser>
#include <QTextStream>

#include "deck/spoken.h"
#include "shell/replaycommand.h"

namespace {

const QString kDeciding = QStringLiteral("deciding");
const QString kRead = QStringLiteral("read");
const QString kReplay = QStringLiteral("replay");

// Qt's own help and error texts are English; these are the program's.
const char kHelp[] =
    "使い方: kotoha [--deciding [--read 番号,番号,...] | --replay ファイル]\n"
    "\n"
    "  (なし)                 ウィンドウを開いて始めます。\n"
    "  --deciding             まだ読まれていない歌ごとに、歌番号、タブ、音で聞く決まり字(かな)を\n"
    "                         一行ずつ歌番号の順に出力して終わります。ウィンドウは開きません。\n"
    "  --read 番号,番号,...   --deciding と共に: すでに読まれた歌の番号 (1〜100、コンマ区切り)。\n"
    "  --replay ファイル      試合の記録をルールどおりにたどり、読みごとの判定と結果を出力します。\n"
    "                         記録がルールや書き方に合わないときは、その行と理由を示して 1 で終わります。\n"
    "  -h, --help             この説明を出力して終わります。\n";

int fail(QTextStream &err, const QString &message)
{
    err << "kotoha: " << message << "\n";
    err.flush();
    return 2;
}

// Poem numbers 1 .. 100, comma-separated; repeats are allowed.
std::optional<deck::ReadSet> parseReadList(const QString &list, QString &bad)
{
    deck::ReadSet read;
    for (const QString &item : list.split(QLatin1Char(','))) {
        bool ok = false;
        const int no = item.trimmed().toInt(&ok);
        if (!ok || no < 1 || no > deck::kPoemCount) {
            bad = item;
            return std::nullopt;
        }
        read.set(static_cast<std::size_t>(no));
    }
    return read;
}

} // namespace

bool isCommandLineRun(const QStringList &arguments)
{
    for (const QString &a : arguments.mid(1)) {
        if (a == QLatin1String("--deciding") || a == QLatin1String("--help") || a == QLatin1String("-h")
            || a == QLatin1String("--read") || a.startsWith(QLatin1String("--read="))
            || a == QLatin1String("--replay") || a.startsWith(QLatin1String("--replay=")))
            return true;
    }
    return false;
}

int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption deciding(kDeciding);
    const QCommandLineOption read(kRead, QString(), QStringLiteral("list"));
    const QCommandLineOption replay(kReplay, QString(), QStringLiteral("file"));
    parser.addOptions({help, deciding, read, replay});
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return fail(err, unknown.isEmpty() ? QStringLiteral("--read には歌番号の一覧が、--replay にはファイルが要ります。")
                                           : QStringLiteral("知らないオプションです: %1").arg(unknown.join(QStringLiteral(", "))));
    }
    if (parser.isSet(help)) {
        out << QString::fromUtf8(kHelp);
        out.flush();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(err, QStringLiteral("余分な引数です: %1").arg(parser.positionalArguments().join(QLatin1Char(' '))));
    if (parser.isSet(replay)) {
        if (parser.isSet(deciding) || parser.isSet(read))
            return fail(err, QStringLiteral("--replay はほかのオプションと共には使えません。"));
        return runReplay(parser.value(replay), out, err);
    }
    if (!parser.isSet(deciding))
        return fail(err, QStringLiteral("--read は --deciding と共に使います。"));

    deck::ReadSet readSet;
    for (const QString &list : parser.values(read)) {
        QString bad;
        const auto parsed = parseReadList(list, bad);
        if (!parsed)
            return fail(err, QStringLiteral("--read の「%1」は 1 から 100 までの歌番号ではありません。").arg(bad));
        readSet |= *parsed;
    }
    for (deck::PoemNo no = 1; no <= deck::kPoemCount; ++no) {
        if (readSet.test(static_cast<std::size_t>(no)))
            continue;
        out << no << '\t' << deck::spokenKaminoku(no).opening(deck::decidingMorae(no, readSet)) << '\n';
    }
    out.flush();
    return 0;
}
