#include "recordsfile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/savefile.h"

namespace records {

using Kind = RecordsError::Kind;

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString folderOf(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

QString systemText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// What a failed call on the file means to the player. `doing` is what was
// being done, as in "…を読めませんでした".
[[noreturn]] void fail(const QString &path, int err, const QString &doing)
{
    const QString p = shownPath(path);
    switch (err) {
    case EACCES:
    case EPERM:
        throw RecordsError(Kind::AccessDenied, path,
                           QStringLiteral("記録ファイル「%1」を%2許可がありません。").arg(p, doing),
                           QStringLiteral("ファイルの持ち主か管理者に、読み書きを許可してもらってください。"));
    case EROFS:
        throw RecordsError(Kind::NotWritable, path,
                           QStringLiteral("記録ファイル「%1」は読み出し専用の場所にあり、書き込めません。").arg(p),
                           QStringLiteral("書き込める場所で琴葉を起動してください。"));
    case ENOSPC:
    case EDQUOT:
        throw RecordsError(Kind::NoRoom, path,
                           QStringLiteral("ディスクがいっぱいで、記録ファイル「%1」に書き込めません。").arg(p),
                           QStringLiteral("いらないファイルを消して空きを作ってください。"));
    case EFBIG:
        throw RecordsError(Kind::NoRoom, path,
                           QStringLiteral("ファイルの大きさの上限に達したため、記録ファイル「%1」に書き込めません。").arg(p),
                           QStringLiteral("管理者に上限を確かめてもらってください。"));
    default:
        throw RecordsError(Kind::Other, path,
                           QStringLiteral("記録ファイル「%1」を%2ことができませんでした(%3)。").arg(p, doing, systemText(err)));
    }
}

QString kindOfFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("フォルダー");
    if (S_ISFIFO(mode))
        return QStringLiteral("名前付きパイプ");
    if (S_ISSOCK(mode))
        return QStringLiteral("ソケット");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("装置ファイル");
    return QStringLiteral("特殊なファイル");
}

[[noreturn]] void notAFile(const QString &path, mode_t mode)
{
    throw RecordsError(
        Kind::NotAFile, path,
        QStringLiteral("「%1」は普通のファイルではない(%2)ため、記録ファイルとして開きませんでした。")
            .arg(shownPath(path), kindOfFile(mode)),
        QStringLiteral("これを別の場所へ移すか名前を変えると、次からは新しい記録ファイルが作られます。"));
}

// Opens the records file, creating it empty when there is none. A FIFO or a
// device would block the open or the reads for good, so anything but a
// regular file (a link to one is fine) is refused before it is opened, and
// once more on what was opened, should it have been swapped in between.
int openRecords(const QString &path, int access)
{
    const QByteArray name = encoded(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        struct stat st {};
        if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
            notAFile(path, st.st_mode);
        // Open first: a missing file is only concluded from the open itself,
        // never from a look taken while another copy replaces the file.
        int fd = ::open(name.constData(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            fd = ::open(name.constData(), access | O_CREAT | O_EXCL | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
            if (fd < 0 && errno == EEXIST)
                continue; // another copy made it just now: open that one
            if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
                throw RecordsError(Kind::AccessDenied, path,
                                   QStringLiteral("フォルダー「%1」に記録ファイル「%2」を作る許可がありません。")
                                       .arg(folderOf(path), QFileInfo(path).fileName()),
                                   QStringLiteral("書き込めるフォルダーで琴葉を起動するか、管理者に記録ファイルを作ってもらってください。"));
        }
        if (fd < 0) {
            const int err = errno;
            if (access == O_RDWR && (err == EACCES || err == EPERM)) {
                const int readable = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
                if (readable >= 0)
                    ::close(readable);
                throw RecordsError(Kind::NotWritable, path,
                                   QStringLiteral("記録ファイル「%1」に%2許可がありません。")
                                       .arg(shownPath(path), readable >= 0 ? QStringLiteral("書き込む")
                                                                           : QStringLiteral("読み書きする")),
                                   QStringLiteral("ファイルの持ち主か管理者に、読み書きを許可してもらってください。"));
            }
            fail(path, err, access == O_RDWR ? QStringLiteral("読み書きする") : QStringLiteral("読む"));
        }
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            notAFile(path, st.st_mode);
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    fail(path, EEXIST, QStringLiteral("開く"));
}

qint64 sizeOf(int fd, const QString &path)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        fail(path, errno, QStringLiteral("調べる"));
    return st.st_size;
}

QByteArray readAt(int fd, qint64 offset, qint64 count, const QString &path)
{
    QByteArray bytes(count, Qt::Uninitialized);
    qint64 done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(count - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(path, errno, QStringLiteral("読む"));
        if (n == 0)
            break; // cut short meanwhile: the caller sees the size
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

void writeAt(int fd, qint64 offset, QByteArrayView bytes, const QString &path)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(path, errno, QStringLiteral("書き込む"));
        done += n;
    }
}

bool sameFile(int fd, const QString &path)
{
    struct stat mine {}, now {};
    return ::fstat(fd, &mine) == 0 && ::stat(encoded(path).constData(), &now) == 0 && mine.st_dev == now.st_dev
           && mine.st_ino == now.st_ino;
}

// Waits for the kernel lock on `fd` while the event loop keeps the windows
// painted; input waits until the step is over. False after `ms`.
bool lockWithin(int fd, int ms, bool &unsupported)
{
    auto attempt = [&] {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        // A file system without locks: go on without one (see lock()).
        unsupported = errno != EWOULDBLOCK && errno != EINTR;
        return unsupported;
    };
    if (attempt())
        return true;
    const QDeadlineTimer deadline(ms);
    if (!QCoreApplication::instance()) { // no windows to keep painted
        while (!deadline.hasExpired()) {
            QThread::msleep(10);
            if (attempt())
                return true;
        }
        return false;
    }
    QEventLoop loop;
    QTimer poll;
    bool got = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (attempt()) {
            got = true;
            loop.quit();
        } else if (deadline.hasExpired()) {
            loop.quit();
        }
    });
    poll.start(10);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return got;
}

// Temporary files of the atomic replace ("RecordsS.dat.XXXXXX") that a
// killed writer left. Only called with the lock held, when no live writer
// can have one open.
void removeLeftovers(const QString &path)
{
    const QFileInfo info(path);
    const QRegularExpression temp(QLatin1Char('^') + QRegularExpression::escape(info.fileName())
                                  + QStringLiteral("\\.[A-Za-z0-9]{6}$"));
    const QDir dir = info.absoluteDir();
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (temp.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

bool folderWritable(const QString &path)
{
    return ::faccessat(AT_FDCWD, encoded(QFileInfo(path).absolutePath()).constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

} // namespace

RecordsError::RecordsError(Kind kind, const QString &path, const QString &reason, const QString &advice)
    : platform::InOutError((advice.isEmpty() ? reason : reason + QLatin1Char('\n') + advice).toStdString())
    , kind(kind)
    , path(path)
    , reason(reason)
    , advice(advice)
{
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

Table readTable(const QString &path)
{
    const int fd = openRecords(path, O_RDONLY);
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    const qint64 size = sizeOf(fd, path);
    return parseTable(readAt(fd, 0, std::min<qint64>(size, SlotSize * (MaxEntries + 1)), path), size);
}

UpdateFile::UpdateFile(const QString &path, platform::Messages &messages)
    : path_(path), messages_(messages)
{
    open();
}

UpdateFile::~UpdateFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void UpdateFile::open()
{
    fd_ = openRecords(path_, O_RDWR);
}

void UpdateFile::lock()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        bool unsupported = false;
        while (!lockWithin(fd_, LockWaitMs, unsupported)) {
            const bool waitOn = messages_.askYesNo(
                QStringLiteral("ほかの琴葉が記録ファイル「%1」を更新していて、%2 秒たっても終わりません。\n"
                               "もう少し待ちますか?(「いいえ」を選ぶと、今回の得点は記録されません。)")
                    .arg(shownPath(path_))
                    .arg(LockWaitMs / 1000));
            if (!waitOn)
                throw RecordsError(Kind::Busy, path_,
                                   QStringLiteral("ほかの琴葉が記録ファイル「%1」を更新中で、待ちきれませんでした。")
                                       .arg(shownPath(path_)),
                                   QStringLiteral("ほかに開いている琴葉がないか確かめてください。"));
        }
        // Without locks on this file system the update goes on unlocked;
        // re-reading the table after the name prompt still keeps a result
        // stored meanwhile.
        if (unsupported || sameFile(fd_, path_)) {
            removeLeftovers(path_);
            return;
        }
        // Another copy replaced or set the file aside while this one
        // waited: the lock taken is on a file no longer in use.
        ::close(fd_);
        fd_ = -1;
        open();
    }
    throw RecordsError(Kind::Busy, path_,
                       QStringLiteral("記録ファイル「%1」がほかの琴葉に次々と置き換えられ、更新できませんでした。")
                           .arg(shownPath(path_)));
}

QByteArray UpdateFile::readAll()
{
    const qint64 size = sizeOf(fd_, path_);
    if (size > MaxFileBytes)
        throw RecordsError(Kind::Damaged, path_, oversizeDamage(size));
    const QByteArray bytes = readAt(fd_, 0, size, path_);
    if (bytes.size() != size)
        fail(path_, EIO, QStringLiteral("読む"));
    return bytes;
}

void UpdateFile::write(const QByteArray &before, const QByteArray &after, int firstSlot)
{
    // The new table written beside the old one and renamed over it only
    // once all its bytes are on the disk: a failure leaves the old table.
    const int err = platform::saveWhole(path_, after);
    if (err == 0)
        return;
    // Slots written in place need no new file, and on a full disk mostly no
    // new block either: the way left when the folder is closed to this user
    // but the file is not, or when the disk has no room for a copy.
    const bool noRoom = err == ENOSPC || err == EDQUOT;
    if (!noRoom && folderWritable(path_))
        fail(path_, err, QStringLiteral("書き込む"));

    // Bottom up and the new entry last, so a write cut short leaves an entry
    // twice rather than one lost. The bytes end as the replace would leave them.
    inPlace_ = true;
    const qsizetype count = after.size() / SlotSize;
    for (qsizetype k = count - 1; k >= firstSlot; --k) {
        const QByteArray slot = after.mid(SlotSize * k, SlotSize);
        if (slot != before.mid(SlotSize * k, SlotSize))
            writeAt(fd_, SlotSize * k, slot, path_);
    }
    if (::fsync(fd_) != 0 && errno != EINVAL)
        fail(path_, errno, QStringLiteral("書き込む"));
}

QString setAsideName(const QString &path)
{
    return path + QLatin1Char('.') + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

namespace {

QString renameAside(const QString &path, const QString &newPath)
{
    QString target = newPath;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = newPath + QStringLiteral("-%1").arg(n);
    if (::rename(encoded(path).constData(), encoded(target).constData()) != 0) {
        const int err = errno;
        if (err == EACCES || err == EPERM || err == EROFS)
            throw RecordsError(Kind::AccessDenied, path,
                               QStringLiteral("フォルダー「%1」の中で名前を変える許可がないため、記録ファイル「%2」を別名で残せませんでした。")
                                   .arg(folderOf(path), QFileInfo(path).fileName()),
                               QStringLiteral("管理者に、このファイルを別の場所へ移してもらってください。"));
        fail(path, err, QStringLiteral("別名にする"));
    }
    return target;
}

} // namespace

QString UpdateFile::setAside(const QString &newPath)
{
    const QString used = renameAside(path_, newPath);
    // The new table's file, taken like the old one.
    ::close(fd_);
    fd_ = -1;
    open();
    lock();
    return used;
}

QString setAside(const QString &path, const QString &newPath)
{
    const int fd = openRecords(path, O_RDONLY);
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    bool unsupported = false;
    if (!lockWithin(fd, LockWaitMs, unsupported))
        throw RecordsError(Kind::Busy, path,
                           QStringLiteral("ほかの琴葉が記録ファイル「%1」を更新中です。").arg(shownPath(path)),
                           QStringLiteral("しばらくしてから、もう一度開いてください。"));
    if (!sameFile(fd, path) && !unsupported)
        return {}; // replaced meanwhile: the new file is another copy's
    return renameAside(path, newPath);
}

} // namespace records
