#include "savefile.h"

#include <QFileInfo>

#include <cerrno>

#include <unistd.h>

namespace platform {

namespace {

// Big enough that a long export is a few hundred writes, small enough that
// nothing grows with the file.
constexpr qsizetype kChunk = 64 * 1024;

int lastError()
{
    return errno ? errno : EIO;
}

} // namespace

SafeFile::SafeFile(const QString &path)
    : file_(path)
{
}

SafeFile::~SafeFile()
{
    cancel();
}

bool SafeFile::open()
{
    error_ = 0;
    buffer_.clear();
    // QSaveFile refuses a folder by its own check, leaving errno as it was.
    if (QFileInfo(file_.fileName()).isDir()) {
        failed(EISDIR);
        return false;
    }
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failed(lastError());
        return false;
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 SafeFile::writeData(const char *data, qint64 len)
{
    if (error_)
        return -1;
    buffer_.append(data, len);
    if (buffer_.size() >= kChunk && !drain())
        return -1;
    return len;
}

bool SafeFile::drain()
{
    if (buffer_.isEmpty())
        return true;
    errno = 0;
    if (file_.write(buffer_) != buffer_.size()) {
        failed(lastError());
        return false;
    }
    buffer_.clear();
    return true;
}

void SafeFile::failed(int err)
{
    if (!error_)
        error_ = err;
    setErrorString(qt_error_string(error_));
}

bool SafeFile::commit()
{
    if (!isOpen() || error_ || !drain()) {
        cancel();
        return false;
    }
    // Space a file system only reserves lazily is claimed here at the latest:
    // an error now means the bytes are not all on the disk.
    errno = 0;
    if (::fsync(file_.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        failed(lastError());
        cancel();
        return false;
    }
    QIODevice::close();
    errno = 0;
    if (!file_.commit()) {
        failed(lastError());
        return false;
    }
    return true;
}

void SafeFile::cancel()
{
    buffer_.clear();
    if (file_.isOpen())
        file_.cancelWriting(); // the temporary file goes, the old one stays
    if (isOpen())
        QIODevice::close();
    if (file_.isOpen())
        file_.commit(); // after cancelWriting this only removes the temporary file
}

int saveWhole(const QString &path, const QByteArray &bytes)
{
    SafeFile file(path);
    if (file.open() && file.write(bytes) == bytes.size() && file.commit())
        return 0;
    return file.errorNumber() ? file.errorNumber() : EIO;
}

QString saveFailureReason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクに空きがありません");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込む許可がありません");
    case EROFS:
        return QStringLiteral("読み出し専用の場所です");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("保存先のフォルダがありません");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダがあります");
    case EFBIG:
        return QStringLiteral("ファイルの大きさの上限を超えます");
    default:
        return QStringLiteral("書き込みに失敗しました（エラー番号 %1）").arg(error);
    }
}

} // namespace platform
