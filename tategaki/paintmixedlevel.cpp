#include "tategaki/customtategaki.h"
#include "tategaki/mixbackground.h"

namespace tategaki {

// Levels 1 .. 7 of TCustomTategaki::PaintMixed. Kept alone in this file so
// that the linker takes it only where no other definition is linked.
void PaintMixedLevel(TCustomTategaki &Control, QPainter &Canvas, const TTategakiDrawProc &DrawProc, int Level)
{
    PaintMixedWithBackground(Control, Canvas, DrawProc, Level);
}

} // namespace tategaki
