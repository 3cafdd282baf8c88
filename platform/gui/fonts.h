#pragma once

#include <QFont>
#include <QString>

namespace platform::fonts {

// Face names as the layouts give them; a leading "@" asks for the vertical
// form of the face.
inline const QString MSPGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString MSGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString MSPMincho = QStringLiteral("ＭＳ Ｐ明朝");
inline const QString MSMincho = QStringLiteral("ＭＳ 明朝");
inline const QString System = QStringLiteral("System");

// Maps the layouts' face names to installed Japanese faces. Call once at
// start, before any window exists.
void installSubstitutes();

bool isVertical(const QString &face);

inline constexpr int kSystemFaceSize = 16;

// `charHeight` is the character height in pixels, as the layouts give it.
QFont font(const QString &face, int charHeight, bool bold = false, bool italic = false);

} // namespace platform::fonts
