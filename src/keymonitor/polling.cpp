// The keyboard device, the 20 ms refresh of the key buttons and its failures.
#include "keymonitor/error_messages.h"
#include "keymonitor/form_layout.h"
#include "keymonitor/frm_osd.h"
#include "keymonitor/key_list.h"

namespace lumio {

// Hands each list line to CheckKey, keeping KeyLine and KeyCode up to date.
class RefreshAction final : public KeyListAction {
 public:
  explicit RefreshAction(frmOSD& form) : form_(form) {}
  void operator()(std::string_view keyLine, std::int32_t keyCode) override {
    // The reader keeps no more of a line than fits here.
    form_.keyLineLength_ = keyLine.copy(form_.KeyLine.data(), form_.KeyLine.size());
    form_.KeyCode = keyCode;
    form_.CheckKey(keyCode);
  }

 private:
  frmOSD& form_;
};

void frmOSD::OpenKeyboardDevice() { platform_.keyboard.open(platform_.window.nativeHandle()); }

void frmOSD::RefreshKeyButtons() {
  // One snapshot judges every key of this refresh.
  platform_.keyboard.getState(KeyState);
  RefreshAction action(*this);
  ReadKeyList(platform_.environment.listFiles(), keyListPath(), platform_.environment.decimalSeparator(), action);
}

void frmOSD::setKeyBackColor(std::int32_t index, Colour colour) {
  if (!HasKeyButton(index)) throw failures::NoSuchControlElement(index);
  Colour& current = keyBackColor_[static_cast<std::size_t>(index)];
  if (current == colour) return;  // the usual case, fifty times a second: nothing to repaint
  current = colour;
  platform_.window.setKeyBackColor(index, colour);
}

void frmOSD::CheckKey(std::int32_t keyCode) {
  if (keyCode < 0 || keyCode > 255) throw failures::SubscriptOutOfRange();
  if (KeyState[static_cast<std::size_t>(keyCode)] != 0) {
    setKeyBackColor(keyCode, kYellow);
    // Every poll that sees Caps Lock down starts the timer again, and a
    // start begins a new interval: the announcement comes 700 ms after the
    // last poll that saw the key down, so never while it is still held.
    if (keyCode == kCapsLockCode) platform_.window.setTimerEnabled(TimerName::tmrTestCaps, true);
  } else {
    setKeyBackColor(keyCode, kActiveBorder);
  }
}

void frmOSD::Timer1_Timer() {
  // While an earlier refresh's failure is still on the screen, ticks go on
  // but start no refresh: one box at a time, not one more every 20 ms.
  if (failureBoxOpen_) return;
  try {
    RefreshKeyButtons();
  } catch (const Failure& failure) {
    if (failure.number() == failures::kFileNotFound) {
      // Something that appeared meanwhile is left alone: the next tick
      // reads it or reports it.
      WriteDefaultKeyList(platform_.environment.listFiles(), keyListPath());
      cmdShowicons_Click();
      cmdRemove_Click();
    } else {
      showLoadError(failure);
    }
  }
}

void frmOSD::KEY_Click(std::int16_t /*index: every key does the same*/) {
  if (failureBoxOpen_) return;
  try {
    RefreshKeyButtons();
  } catch (const Failure& failure) {
    if (failure.number() == failures::kFileNotFound) {
      failureBoxOpen_ = true;
      platform_.window.messageBox(kListMissingText, MessageIcon::Stop, kAppTitle);
      failureBoxOpen_ = false;
      endProgram();
    } else {
      showLoadError(failure);
    }
    return;
  }
  platform_.window.doEvents();
}

}  // namespace lumio
