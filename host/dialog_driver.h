// Drives the dialogs that a plug-in shows from a host's thread, as a user
// would. The owner window ticks a timer; timer messages only come when the
// modal loop has nothing else to do, so at each tick the dialog owned by
// the window has handled everything the previous step sent it, and the
// next step runs.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

class DialogDriver {
 public:
  using Step = std::function<void(HWND dialog)>;

  // Call at each tick of the owner's timer.
  void OnTick(HWND owner);

  void Then(Step step) { steps_.push_back(std::move(step)); }
  int DialogsSeen() const { return dialogsSeen_; }
  void Reset() {
    steps_.clear();
    dialogsSeen_ = 0;
    last_ = nullptr;
  }

  // Common steps.
  void Type(int controlId, const std::string& text);  // replaces the box's text keystroke by keystroke
  void Key(UINT virtualKey);                           // to the control with the focus
  void Click(int controlId);
  void Close();                                        // WM_CLOSE, as the window frame would send
  void SetChecked(int controlId, bool checked);       // clicks the box if it differs

  static std::string Text(HWND dialog, int controlId);
  static int FocusId(HWND dialog);

 private:
  std::deque<Step> steps_;
  int dialogsSeen_ = 0;
  HWND last_ = nullptr;
};

// Saves the dialog as it is drawn on the screen to a 24-bit BMP file.
bool CaptureWindow(HWND window, const std::string& bmpPath);
