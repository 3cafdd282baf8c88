#pragma once

#include <QString>

#include "play/standardlayout.h"

namespace platform {
class Messages;
}

// Where the player's standard layout is kept: their settings file
// (~/.config/kotoha/kotoha.conf, in Qt's settings form), under
// position/layout in the layout's text form.
namespace match {

QString playerSettingsPath();

// The layout takes a few hundred bytes: a settings file far larger is not
// one the program wrote, and is not read at all.
constexpr qint64 kSettingsMaxBytes = 256 * 1024;

struct SavedLayout {
    // The default when none is saved or the saved one cannot be used (a
    // hand edit, a later program's form, a damaged file).
    StandardLayout layout;
    QString problem; // why the file's layout is not used, for the player; empty when it is or none is saved
};
SavedLayout readLayout(const QString &settingsPath);

// Keeps `layout` in the settings file, its other settings as they were;
// the file is replaced only once its new bytes are written. Why it could
// not be kept, for the player; empty when it was.
QString writeLayout(const QString &settingsPath, const StandardLayout &layout);

// The layout to play with; a file that cannot be used is told of once a
// run through `messages`.
StandardLayout playerLayout(const QString &settingsPath, platform::Messages &messages);

} // namespace match
