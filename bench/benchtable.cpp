// Prints Google Benchmark JSON results (--benchmark_out) as one compact
// table, or two sets of results side by side.
//   benchtable RESULT.json|DIR ...
//   benchtable --compare OLD.json|DIR NEW.json|DIR
// Times are per iteration. A counter named per_* is an inverted rate (seconds
// per item, benchmark::Counter::kInvert) and is printed as a time; any other
// counter as a plain number. The comparison is of the real time.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

struct Row {
    QString name;
    double realNs = 0; // per iteration
    double cpuNs = 0;
    qint64 iterations = 0;
    QString counters; // "per_card=12.3us items_per_second=8.1k"
    QString error;
};

const QStringList Known{"name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
                        "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit",
                        "aggregate_name", "aggregate_unit", "error_occurred", "error_message", "label"};

double toNs(double value, const QString &unit)
{
    if (unit == QLatin1String("us"))
        return value * 1e3;
    if (unit == QLatin1String("ms"))
        return value * 1e6;
    if (unit == QLatin1String("s"))
        return value * 1e9;
    return value;
}

// Three significant digits, trailing zeros kept so that columns line up.
QString figure(double v)
{
    const int magnitude = v == 0 ? 0 : int(std::floor(std::log10(std::abs(v))));
    return QString::number(v, 'f', std::clamp(2 - magnitude, 0, 2));
}

// With the unit that keeps the number below 1000.
QString duration(double ns)
{
    static const char *const units[] = {"ns", "us", "ms", "s"};
    int u = 0;
    while (u < 3 && std::abs(ns) >= 1000) {
        ns /= 1000;
        ++u;
    }
    return figure(ns) + QLatin1String(units[u]);
}

QString quantity(double v)
{
    static const char *const prefixes[] = {"", "k", "M", "G"};
    int p = 0;
    while (p < 3 && std::abs(v) >= 1000) {
        v /= 1000;
        ++p;
    }
    return figure(v) + QLatin1String(prefixes[p]);
}

QString counter(const QString &key, double v)
{
    if (key.startsWith(QLatin1String("per_")))
        return duration(v * 1e9);
    return quantity(v);
}

std::vector<Row> readResults(const QString &path, QTextStream &err)
{
    QStringList files;
    if (QFileInfo(path).isDir()) {
        for (const QString &f : QDir(path).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
            files << QDir(path).filePath(f);
    } else {
        files << path;
    }
    std::vector<Row> rows;
    for (const QString &file : files) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            err << "benchtable: cannot read " << file << "\n";
            continue;
        }
        const QByteArray json = f.readAll();
        if (json.trimmed().isEmpty())
            continue; // a benchmark program whose benchmarks were all filtered out
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
        if (doc.isNull()) {
            err << "benchtable: " << file << ": " << parseError.errorString() << "\n";
            continue;
        }
        for (const QJsonValue &v : doc.object().value(QLatin1String("benchmarks")).toArray()) {
            const QJsonObject b = v.toObject();
            Row r;
            r.name = b.value(QLatin1String("name")).toString();
            const QString unit = b.value(QLatin1String("time_unit")).toString();
            r.realNs = toNs(b.value(QLatin1String("real_time")).toDouble(), unit);
            r.cpuNs = toNs(b.value(QLatin1String("cpu_time")).toDouble(), unit);
            r.iterations = b.value(QLatin1String("iterations")).toInteger();
            if (b.value(QLatin1String("error_occurred")).toBool())
                r.error = b.value(QLatin1String("error_message")).toString();
            QStringList extra;
            for (auto it = b.begin(); it != b.end(); ++it) {
                if (!Known.contains(it.key()) && it.value().isDouble())
                    extra << it.key() + QLatin1Char('=') + counter(it.key(), it.value().toDouble());
            }
            r.counters = extra.join(QLatin1Char(' '));
            rows.push_back(r);
        }
    }
    return rows;
}

void printTable(QTextStream &out, const QStringList &header, const std::vector<QStringList> &lines)
{
    std::vector<qsizetype> widths(header.size());
    for (qsizetype c = 0; c < header.size(); ++c) {
        widths[c] = header[c].size();
        for (const QStringList &l : lines)
            widths[c] = std::max(widths[c], l.value(c).size());
    }
    auto print = [&](const QStringList &cells) {
        QString line;
        for (qsizetype c = 0; c < header.size(); ++c) {
            const QString cell = cells.value(c);
            // The name and the last column flush left, figures flush right.
            if (c == 0 || c + 1 == header.size())
                line += cell.leftJustified(widths[c]);
            else
                line += cell.rightJustified(widths[c]);
            line += QLatin1String("  ");
        }
        out << line.trimmed() << "\n";
    };
    print(header);
    QStringList rule;
    for (qsizetype w : widths)
        rule << QString(w, QLatin1Char('-'));
    print(rule);
    for (const QStringList &l : lines)
        print(l);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help")) {
        err << "usage: benchtable RESULT.json|DIR ...\n"
               "       benchtable --compare OLD.json|DIR NEW.json|DIR\n";
        return 2;
    }

    if (args.first() == QLatin1String("--compare")) {
        if (args.size() != 3) {
            err << "benchtable: --compare takes two results\n";
            return 2;
        }
        const std::vector<Row> before = readResults(args[1], err);
        const std::vector<Row> after = readResults(args[2], err);
        std::vector<QStringList> lines;
        auto find = [](const std::vector<Row> &rows, const QString &name) -> const Row * {
            for (const Row &r : rows)
                if (r.name == name)
                    return &r;
            return nullptr;
        };
        QStringList names;
        for (const Row &r : before)
            names << r.name;
        for (const Row &r : after)
            if (!names.contains(r.name))
                names << r.name;
        for (const QString &name : names) {
            const Row *a = find(before, name);
            const Row *b = find(after, name);
            QString change;
            if (a && b && a->error.isEmpty() && b->error.isEmpty() && a->realNs > 0)
                change = QString::asprintf("%+.1f%%", (b->realNs / a->realNs - 1) * 100);
            lines.push_back({name, a ? (a->error.isEmpty() ? duration(a->realNs) : QStringLiteral("error")) : "-",
                             b ? (b->error.isEmpty() ? duration(b->realNs) : QStringLiteral("error")) : "-", change});
        }
        printTable(out, {"Benchmark", "Before", "After", "Change"}, lines);
        return 0;
    }

    std::vector<QStringList> lines;
    bool anyError = false;
    for (const QString &path : args) {
        for (const Row &r : readResults(path, err)) {
            if (!r.error.isEmpty()) {
                anyError = true;
                lines.push_back({r.name, "-", "-", "-", "error: " + r.error});
                continue;
            }
            lines.push_back(
                {r.name, duration(r.realNs), duration(r.cpuNs), QString::number(r.iterations), r.counters});
        }
    }
    printTable(out, {"Benchmark", "Time", "CPU", "Iterations", "Counters"}, lines);
    return anyError ? 1 : 0;
}
