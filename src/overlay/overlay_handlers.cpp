// The window's manual overlay buttons, which the rest of the program also
// uses as its operations for the desktop icons and for erasing.
#include "keymonitor/frm_osd.h"
#include "overlay/cosd.h"

namespace lumio {

void frmOSD::cmdHideIcons_Click() {
  platform_.icons.setVisible(false);
  iconsHiddenByUs_ = true;
}

void frmOSD::cmdShowicons_Click() {
  platform_.icons.setVisible(true);
  iconsHiddenByUs_ = false;
}

void frmOSD::cmdShow_Click() {
  cOSD painter(platform_.screen);
  painter.Font()->Bold(kOverlayBold);
  painter.Font()->Size(kAnnouncementSize);
  const std::string text = platform_.window.text1();
  overlayPainted_ = true;
  painter.ShowText(text, kAnnouncementTop, kOverlayLeft, kOverlayColour);
}

void frmOSD::cmdRemove_Click() {
  cOSD(platform_.screen).RemoveText();
  overlayPainted_ = false;
}

}  // namespace lumio
