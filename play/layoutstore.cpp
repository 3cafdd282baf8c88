#include "layoutstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

#include "platform/savefile.h"
#include "platform/services.h"
#include "platform/wholefile.h"

namespace match {

namespace {

const QString kKey = QStringLiteral("position/layout");

// QSettings reads and writes only files, and would replace the player's
// without checking that its new bytes reached the disk: it works on a
// scratch copy, and the copy's bytes go back through SafeFile.
class Scratch {
public:
    explicit Scratch(const QByteArray &bytes)
    {
        QFile f(path());
        ok_ = dir_.isValid() && f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    bool ok() const { return ok_; }
    QString path() const { return dir_.filePath(QStringLiteral("kotoha.conf")); }
    QByteArray bytes() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    bool ok_ = false;
};

// The file's bytes, bounded; no file is no bytes and no problem.
platform::WholeFile settingsBytes(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return {};
    return platform::readWholeFile(path, kSettingsMaxBytes);
}

} // namespace

QString playerSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/kotoha/kotoha.conf");
}

SavedLayout readLayout(const QString &settingsPath)
{
    auto unused = [&](const QString &why) {
        return SavedLayout{defaultLayout(), QStringLiteral("定位置の設定 %1 を使えません（%2）。おすすめの定位置で並べます。")
                                                .arg(QDir::toNativeSeparators(settingsPath), why)};
    };
    const platform::WholeFile file = settingsBytes(settingsPath);
    if (!file.problem.isEmpty())
        return unused(file.problem);
    if (file.bytes.isEmpty())
        return {defaultLayout(), {}};
    Scratch scratch(file.bytes);
    if (!scratch.ok())
        return unused(QStringLiteral("一時ファイルを作れません"));
    QSettings settings(scratch.path(), QSettings::IniFormat);
    // Typed by hand without its quotes, the layout reads as a list of its
    // comma-separated parts.
    const QVariant value = settings.value(kKey);
    // A section is parsed when first asked for: its faults show only then.
    if (settings.status() != QSettings::NoError)
        return unused(QStringLiteral("設定ファイルの書き方が壊れています"));
    if (!value.isValid())
        return {defaultLayout(), {}};
    const QString text =
        value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
    QString why;
    if (const auto l = StandardLayout::fromText(text, &why))
        return {*l, {}};
    qWarning("the saved standard layout is not used: %s", qPrintable(why));
    return unused(QStringLiteral("百首の並びになっていません"));
}

QString writeLayout(const QString &settingsPath, const StandardLayout &layout)
{
    auto failed = [&](const QString &why) {
        return QStringLiteral("定位置を %1 に保存できませんでした: %2。").arg(QDir::toNativeSeparators(settingsPath), why);
    };
    const platform::WholeFile file = settingsBytes(settingsPath);
    if (!file.problem.isEmpty())
        return failed(file.problem + QStringLiteral("。このファイルを移してから保存してください"));
    // The file's settings with the layout among them; a damaged file, which
    // could not be used, gives way to one holding the layout alone.
    auto withLayout = [&](const QByteArray &before) -> std::optional<QByteArray> {
        Scratch scratch(before);
        if (!scratch.ok())
            return std::nullopt;
        {
            QSettings settings(scratch.path(), QSettings::IniFormat);
            settings.setValue(kKey, layout.text());
            settings.sync();
            if (settings.status() != QSettings::NoError)
                return std::nullopt;
        }
        return scratch.bytes();
    };
    std::optional<QByteArray> bytes = withLayout(file.bytes);
    if (!bytes && !file.bytes.isEmpty())
        bytes = withLayout({});
    if (!bytes)
        return failed(QStringLiteral("一時ファイルに書けません"));
    QDir().mkpath(QFileInfo(settingsPath).absolutePath());
    if (const int error = platform::saveWhole(settingsPath, *bytes))
        return failed(platform::saveFailureReason(error));
    return {};
}

StandardLayout playerLayout(const QString &settingsPath, platform::Messages &messages)
{
    // Every deal reads the layout: a file that cannot be used is told of once.
    static QSet<QString> told;
    const SavedLayout saved = readLayout(settingsPath);
    if (!saved.problem.isEmpty() && !told.contains(saved.problem)) {
        told.insert(saved.problem);
        messages.inform(saved.problem);
    }
    return saved.layout;
}

} // namespace match
