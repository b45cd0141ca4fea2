#include "dialogs/dialog_surface.h"

namespace korvex::dialogs {

void DrawOwnerTab(TabPainter& painter, int index, const ItemRect& rect) {
  painter.FillWithButtonFace(rect);
  painter.SetTextBackgroundToButtonFace();
  painter.DrawCentred(painter.Caption(index, 255), rect);
}

}  // namespace korvex::dialogs
