#pragma once

// A file system of its own for a test that must fill a disk: a small tmpfs
// mounted on a temporary folder. Mounting needs root; where it cannot be
// done, the test skips (SKIP_WITHOUT_SMALL_DISK).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <cerrno>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes = 1024 * 1024)
    {
        if (!dir_.isValid())
            return;
        const QByteArray options = "size=" + QByteArray::number(bytes);
        mounted_ = ::mount("kotoha-test", QFile::encodeName(dir_.path()).constData(), "tmpfs",
                           MS_NOSUID | MS_NODEV, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString &name) const { return QDir(dir_.path()).filePath(name); }

    // Takes every free byte with a file of its own; false if the disk never
    // said it was full.
    bool fill()
    {
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral(".filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        bool full = false;
        for (qsizetype size : {block.size(), qsizetype(1)}) {
            for (int i = 0; i < 1 << 20; ++i) {
                if (::write(fd, block.constData(), size_t(size)) < 0) {
                    full = errno == ENOSPC;
                    break;
                }
            }
        }
        ::close(fd);
        return full;
    }
    // Gives the space taken by fill() back.
    void release() { QFile::remove(filePath(QStringLiteral(".filler"))); }
    // Mounts it again read-only, or writable again: for root, whom no file
    // permission stops, the way to a file that cannot be written.
    bool setReadOnly(bool readOnly)
    {
        const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
        return mounted_ && ::mount(nullptr, QFile::encodeName(dir_.path()).constData(), nullptr, flags, nullptr) == 0;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

#define SKIP_WITHOUT_SMALL_DISK(disk)                                                             \
    do {                                                                                          \
        if (!(disk).mounted())                                                                    \
            QSKIP("no small file system can be mounted here (it needs root)");                    \
    } while (false)
