// The window's manual overlay buttons, which the rest of the program also
// uses as its operations for the desktop icons and for erasing; and the look
// that "Show Text" shares with the Caps Lock announcement.
#include "keymonitor/frm_osd.h"
#include "overlay/cosd.h"

namespace lumio {

void frmOSD::paintAnnouncement(std::string_view text, bool show, FailedStep failedStep) {
  cOSD painter(platform_.screen);
  RunStep(failedStep, [&] { painter.Font()->Bold(kOverlayBold); });
  RunStep(failedStep, [&] { painter.Font()->Size(kAnnouncementSize); });
  RunStep(failedStep, [&] {
    if (!show) return;
    overlayPainted_ = true;
    painter.ShowText(text, kAnnouncementTop, kOverlayLeft, kOverlayColour);
  });
}

void frmOSD::cmdHideIcons_Click() {
  platform_.icons.setVisible(false);
  iconsHiddenByUs_ = true;
}

void frmOSD::cmdShowicons_Click() {
  platform_.icons.setVisible(true);
  iconsHiddenByUs_ = false;
}

void frmOSD::cmdShow_Click() { paintAnnouncement(platform_.window.text1(), true, FailedStep::GoesOn); }

void frmOSD::cmdRemove_Click() {
  cOSD(platform_.screen).RemoveText();
  overlayPainted_ = false;
}

}  // namespace lumio
