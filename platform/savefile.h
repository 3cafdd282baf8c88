#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QSaveFile>
#include <QString>

// A file replaced only once its new bytes are known to be on the disk.
//
// QSaveFile alone is not enough: opened buffered, the last write's failure
// (a full disk) only comes at the flush inside commit(), which Qt 6.4 does
// not report, so a truncated file is renamed over the good one. Here the
// bytes gather in a buffer of our own and go to an unbuffered QSaveFile,
// every write checked; commit() then syncs the file before the rename.
// Anything that went wrong leaves the old file as it was.
namespace platform {

class SafeFile : public QIODevice {
public:
    explicit SafeFile(const QString &path);
    ~SafeFile() override; // not committed: the old file stays

    // Opens the new file beside the old one, write only.
    bool open();
    // False, the old file untouched, when any byte could not be written.
    bool commit();
    void cancel();

    // errno of the first failure, 0 while none.
    int errorNumber() const { return error_; }
    QString fileName() const { return file_.fileName(); }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override;

private:
    bool drain();
    void failed(int err);

    QSaveFile file_;
    QByteArray buffer_;
    int error_ = 0;
};

// `bytes` as the whole of `path`: errno of the failure, 0 on success.
int saveWhole(const QString &path, const QByteArray &bytes);

// Why a file could not be written, for the player ("ディスクに空きがありません", …).
QString saveFailureReason(int error);

} // namespace platform
