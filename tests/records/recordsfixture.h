#pragma once

// Shared by the records tests: records files written by hand, and a way to
// meet "access denied" even when the tests run as root.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "../support/fakeservices.h"

namespace fixture {

// One 37-byte slot laid out by its offsets: length and 4 bytes of score,
// length and 20 bytes of name, length and 10 bytes of date. Bytes past a
// field's length are `fill`.
inline QByteArray slot(const QByteArray &score, const QByteArray &name, const QByteArray &date, char fill = 0)
{
    QByteArray s(37, fill);
    s[0] = char(score.size());
    s.replace(1, score.size(), score);
    s[5] = char(name.size());
    s.replace(6, name.size(), name);
    s[26] = char(date.size());
    s.replace(27, date.size(), date);
    s.resize(37);
    return s;
}

inline QByteArray zeroSlot() { return QByteArray(37, '\0'); }

// Hex with spaces and line breaks for reading; QByteArray::fromHex skips them.
inline QByteArray hex(const char *text) { return QByteArray::fromHex(text); }

// A table of entries best first, scores as given, names "P<score>".
inline QByteArray table(const QList<int> &scores, const QByteArray &date = "2026/01/01")
{
    QByteArray file = zeroSlot();
    for (int s : scores)
        file += slot(QByteArray::number(s), "P" + QByteArray::number(s), date);
    return file;
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Root reads and writes anything: a scope that must meet "access denied"
// runs as nobody when the tests run as root.
class Unprivileged {
public:
    Unprivileged()
    {
        if (geteuid() == 0) {
            active_ = setegid(65534) == 0 && seteuid(65534) == 0;
        }
    }
    ~Unprivileged()
    {
        if (active_) {
            [[maybe_unused]] const int a = seteuid(0);
            [[maybe_unused]] const int b = setegid(0);
        }
    }
    Unprivileged(const Unprivileged &) = delete;
    Unprivileged &operator=(const Unprivileged &) = delete;

private:
    bool active_ = false;
};

// A scratch folder that is the current directory for the lifetime of the
// object and that nobody may enter (see Unprivileged).
class ScratchDir {
public:
    ScratchDir() : saved_(QDir::currentPath())
    {
        ::chmod(QFile::encodeName(dir_.path()).constData(), 0777);
        QDir::setCurrent(dir_.path());
    }
    ~ScratchDir() { QDir::setCurrent(saved_); }
    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    QStringList entries() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private:
    QTemporaryDir dir_;
    QString saved_;
};

inline bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace fixture
