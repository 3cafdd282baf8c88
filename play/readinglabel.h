#pragma once

#include <QRect>

#include "tategaki/labeltategaki.h"

namespace play {

// The vertical label a verse is read into, tick by tick: the bold vertical
// System face, top-aligned, one column after another, opaque. The game and
// the match read alike.
tategaki::TLabelTategaki *readingLabel(QWidget *parent, const char *name, int tag, const QRect &bounds);

} // namespace play
