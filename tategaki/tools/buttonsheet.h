#pragma once

#include <QPixmap>
#include <QString>

// A sheet of vertical speed buttons: the game's cards in their colours and
// states, every frame style, flat and elliptic buttons, images from an
// image list in every layout, and mixing at levels 1 to 7 over a pattern.
namespace tategaki {

QPixmap RenderButtonSheet();

// Where the gallery puts the sheet beside its own picture:
// "gallery.png" -> "gallery_buttons.png".
QString ButtonSheetPath(const QString &galleryOut);

// Renders and saves the sheet; prints the path. False when it cannot be written.
bool SaveButtonSheet(const QString &path);

} // namespace tategaki
