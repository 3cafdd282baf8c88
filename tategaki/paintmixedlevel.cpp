#include "tategaki/customtategaki.h"
#include "tategaki/mixbackground.h"

namespace tategaki {

// Levels 1 .. 7 of TCustomTategaki::PaintMixed, for the label and the
// button alike.
void PaintMixedLevel(TCustomTategaki &Control, QPainter &Canvas, const TTategakiDrawProc &DrawProc, int Level)
{
    PaintMixedWithBackground(Control, Canvas, DrawProc, Level);
}

} // namespace tategaki
