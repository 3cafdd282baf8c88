#pragma once

#include <QColor>

// Colours under the names the windows use. The system colours are fixed to
// the classic desktop values rather than taken from the desktop theme, so
// every machine draws the boards alike.
namespace platform::colors {

inline const QColor clSilver{192, 192, 192};
inline const QColor clNavy{0, 0, 128};
inline const QColor clYellow{255, 255, 0};
inline const QColor clWhite{255, 255, 255};
inline const QColor clBlack{0, 0, 0};
inline const QColor clBlue{0, 0, 255};
inline const QColor clRed{255, 0, 0};

inline const QColor clBtnFace{240, 240, 240};
inline const QColor clBtnHighlight{255, 255, 255};
inline const QColor clBtnShadow{160, 160, 160};
inline const QColor cl3DLight{227, 227, 227};
inline const QColor cl3DDkShadow{105, 105, 105};
inline const QColor clWindowText{0, 0, 0};
inline const QColor clHighlight{0, 120, 215};
inline const QColor clHighlightText{255, 255, 255};
inline const QColor clGrayText{109, 109, 109};

} // namespace platform::colors
