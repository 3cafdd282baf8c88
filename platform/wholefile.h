#pragma once

#include <QByteArray>
#include <QString>

// Reading a whole file the program takes into memory at once (a match
// record, a set, the settings): only a plain file, and only up to a bound.
// A FIFO or a device would keep the window waiting for bytes that may never
// come, so anything that is not a plain file is refused before it is opened.
namespace platform {

struct WholeFile {
    QByteArray bytes;
    QString problem; // why the file was not read, for the player; empty when it was
};

WholeFile readWholeFile(const QString &path, qint64 maxBytes);

// A size as the player reads it: "4 MiB", "64 KiB", "900 バイト".
QString sizeText(qint64 bytes);

} // namespace platform
