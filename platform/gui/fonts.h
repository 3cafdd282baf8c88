#pragma once

#include <QFont>
#include <QString>

namespace platform::fonts {

// The Windows face names the windows ask for; installSubstitutes() points
// them at the IPA faces. A leading "@" asks for the face turned for vertical
// writing.
inline const QString MSPGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString MSGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString MSPMincho = QStringLiteral("ＭＳ Ｐ明朝");
inline const QString MSMincho = QStringLiteral("ＭＳ 明朝");
inline const QString System = QStringLiteral("System");

// Points each face name above at the installed Japanese faces. Call once at
// start, before any font is resolved: Qt keeps what it resolved.
void installSubstitutes();

bool isVertical(const QString &face);

// "System" stands for a bitmap face of one size: whatever height a window
// asks for, it draws 16-pixel cells (full-width 16, half-width 8), and the
// controls that use it are laid out for exactly that cell.
inline constexpr int kSystemFaceSize = 16;

// `charHeight` is the character height in pixels (not the cell height).
QFont font(const QString &face, int charHeight, bool bold = false, bool italic = false);

} // namespace platform::fonts
