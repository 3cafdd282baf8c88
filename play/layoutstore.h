#pragma once

#include <memory>

#include "play/standardlayout.h"

#include <QSettings>

// Where the player's standard layout is kept: their Qt settings
// (~/.config/kotoha/kotoha.conf), under position/layout in the layout's
// text form.
namespace match {

std::unique_ptr<QSettings> playerSettings();

// The saved layout; the default when none is saved or the saved text is
// not a whole layout (a hand edit, a later program's form).
StandardLayout savedLayout(QSettings &settings);
void saveLayout(QSettings &settings, const StandardLayout &layout);

} // namespace match
