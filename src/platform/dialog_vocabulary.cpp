#include "platform/dialog_vocabulary.h"

namespace korvex::platform::dialog {

void DrawOwnerTab(TabPainter& painter, int index, const ItemRect& rect) {
  painter.FillWithButtonFace(rect);
  painter.SetTextBackgroundToButtonFace();
  painter.DrawCentred(painter.Caption(index, 255), rect);
}

}  // namespace korvex::platform::dialog
