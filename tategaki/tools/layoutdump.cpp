#include "layoutdump.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <memory>

#include "platform/sjis.h"
#include "platform/gui/fonts.h"
#include "tategaki/engine.h"
#include "tategaki/shaper.h"

namespace tategaki::tools {
namespace {

int hexValue(QChar c)
{
    const int d = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
    return d;
}

bool parseInt(const QString &text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}

bool parsePair(const QString &text, QChar separator, int &a, int &b)
{
    const QStringList parts = text.split(separator);
    return parts.size() == 2 && parseInt(parts[0], a) && parseInt(parts[1], b);
}

} // namespace

QByteArray parseCaption(const QString &literal)
{
    QByteArray out;
    QString pending;
    auto flush = [&] {
        out += platform::sjis::encode(pending);
        pending.clear();
    };
    for (qsizetype i = 0; i < literal.size(); ++i) {
        const QChar c = literal[i];
        if (c != QLatin1Char('\\') || i + 1 >= literal.size()) {
            pending += c;
            continue;
        }
        const QChar e = literal[++i];
        if (e == QLatin1Char('x') && i + 2 < literal.size() && hexValue(literal[i + 1]) >= 0 &&
            hexValue(literal[i + 2]) >= 0) {
            flush();
            out += static_cast<char>(hexValue(literal[i + 1]) * 16 + hexValue(literal[i + 2]));
            i += 2;
            continue;
        }
        switch (e.unicode()) {
        case 'r': pending += QChar(0x0D); break;
        case 'n': pending += QChar(0x0A); break;
        case 't': pending += QChar(0x09); break;
        default: pending += e; break;
        }
    }
    flush();
    return out;
}

QString usage()
{
    return QStringLiteral(
        "usage: tategaki_dump [options] CAPTION\n"
        "  CAPTION            UTF-8 text; \\r \\n \\t \\\\ and \\xHH (a raw Shift-JIS byte)\n"
        "  --box WxH          the rectangle (default 57x105, the card's text box)\n"
        "  --alignment N      0 top/justified, 1 bottom, 2 centre (default 0)\n"
        "  --layout N         0 flush right, 1 centred, 2 flush left (default 0)\n"
        "  --multiline 0|1    break into columns (default 1)\n"
        "  --line-margin N    pixels between columns (default 0)\n"
        "  --tategaki 0|1     vertical (default 1) or horizontal writing\n"
        "  --level N          KinsokuLevel (default 2)\n"
        "  --margin N         KinsokuMargin (default 0)\n"
        "  --font FACE        face name (default \"@ＭＳ 明朝\")\n"
        "  --size N           character height in pixels (default 16)\n"
        "  --bold             bold face\n"
        "  --fixed F,H        measure with fixed advances instead of the font\n"
        "Prints one line per column: first unit, unit count, x and y where it is\n"
        "drawn (vertical: right edge and top), its extent, and for a justified\n"
        "column the extra pixels q and the number r of gaps that take q + 1.\n"
        "With a real font a second line gives each glyph as unit:id, then u\n"
        "(upright) or s (turned sideways).\n");
}

bool layoutDump(const QStringList &arguments, QString &output, QString &error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption box("box", "", "WxH", "57x105");
    const QCommandLineOption alignment("alignment", "", "N", "0");
    const QCommandLineOption layout("layout", "", "N", "0");
    const QCommandLineOption multiLine("multiline", "", "0|1", "1");
    const QCommandLineOption lineMargin("line-margin", "", "N", "0");
    const QCommandLineOption tategaki("tategaki", "", "0|1", "1");
    const QCommandLineOption level("level", "", "N", "2");
    const QCommandLineOption margin("margin", "", "N", "0");
    const QCommandLineOption face("font", "", "FACE", QStringLiteral("@ＭＳ 明朝"));
    const QCommandLineOption size("size", "", "N", "16");
    const QCommandLineOption bold("bold");
    const QCommandLineOption fixed("fixed", "", "F,H");
    parser.addOptions({box, alignment, layout, multiLine, lineMargin, tategaki, level, margin, face, size, bold, fixed});
    parser.addPositionalArgument("caption", "");
    if (!parser.parse(QStringList{QStringLiteral("tategaki_dump")} + arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.positionalArguments().size() != 1) {
        error = QStringLiteral("exactly one caption expected");
        return false;
    }

    int w = 0, h = 0, align = 0, lay = 0, ml = 0, lm = 0, tg = 0, kl = 0, km = 0, px = 0;
    if (!parsePair(parser.value(box), QLatin1Char('x'), w, h) || !parseInt(parser.value(alignment), align) ||
        !parseInt(parser.value(layout), lay) || !parseInt(parser.value(multiLine), ml) ||
        !parseInt(parser.value(lineMargin), lm) || !parseInt(parser.value(tategaki), tg) ||
        !parseInt(parser.value(level), kl) || !parseInt(parser.value(margin), km) ||
        !parseInt(parser.value(size), px) || align < 0 || align > 2 || lay < 0 || lay > 2 || px <= 0) {
        error = QStringLiteral("bad option value");
        return false;
    }

    TTategakiTextParams params;
    params.Alignment = static_cast<TAlignment>(align);
    params.Layout = static_cast<TTextLayout>(lay);
    params.MultiLine = ml != 0;
    params.LineMargin = lm;
    params.Tategaki = tg != 0;
    params.KinsokuLevel = kl;
    params.KinsokuMargin = km;

    std::unique_ptr<TategakiMeasurer> measurer;
    FontMeasurer *font = nullptr; // the real font's measurer, when there is one
    QString measuredWith;
    if (parser.isSet(fixed)) {
        int full = 0, half = 0;
        if (!parsePair(parser.value(fixed), QLatin1Char(','), full, half)) {
            error = QStringLiteral("--fixed wants F,H");
            return false;
        }
        measurer = std::make_unique<FixedMeasurer>(full, half, px);
        measuredWith = QStringLiteral("fixed %1,%2").arg(full).arg(half);
    } else {
        platform::fonts::installSubstitutes();
        auto fm = std::make_unique<FontMeasurer>(platform::fonts::font(parser.value(face), px, parser.isSet(bold)),
                                                 params.Tategaki);
        if (!fm->isValid()) {
            error = QStringLiteral("no usable font for %1").arg(parser.value(face));
            return false;
        }
        measuredWith = fm->shaper()->rawFont().familyName();
        font = fm.get();
        measurer = std::move(fm);
    }

    const QByteArray caption = parseCaption(parser.positionalArguments().first());
    const QString units = TategakiUnits(caption);
    const TRect rect{0, 0, w, h};
    const TategakiLayout result = LayoutTategakiText(*measurer, units, rect, params);
    const TRect measured = MeasureTategakiText(*measurer, units, rect, params);

    QTextStream out(&output);
    out << "# " << measuredWith << ", size " << px << ", box " << w << "x" << h << ", " << units.size()
        << " units, " << result.columns.size() << " columns, pitch " << result.linePitch << "\n";
    out << "# measured " << measured.Left << "," << measured.Top << "," << measured.Right << "," << measured.Bottom
        << "\n";
    for (const TategakiColumn &col : result.columns) {
        QString text = units.mid(col.first, col.count);
        text.replace(QChar(0x0D), QStringLiteral("\\r")).replace(QChar(0x0A), QStringLiteral("\\n"));
        out << col.first << " " << col.count << " x=" << col.x << " y=" << col.y << " extent=" << col.extent;
        if (col.justified)
            out << " q=" << col.spacing << " r=" << col.wideGaps;
        out << " |" << text << "|\n";
        if (font && col.count > 0) {
            // What the font turned the column into: glyph id and whether it
            // stands upright (u) or is turned sideways (s), with the first
            // unit it belongs to.
            const ShapedRun &run = font->shaped(QStringView(units).mid(col.first, col.count));
            out << " ";
            for (const ShapedGlyph &g : run.glyphs)
                if (g.cluster < col.count)
                    out << " " << g.cluster << ":" << g.id
                        << (g.orientation == GlyphOrientation::Upright ? "u" : "s");
            out << "\n";
        }
    }
    return true;
}

} // namespace tategaki::tools
