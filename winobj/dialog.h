// A modal dialog built from a template in its module's resources, with a
// transfer buffer that its child control objects fill and empty in the
// order in which they were made.
#pragma once

#include <windows.h>

#include "winobj/window.h"

class TDialog : public TWindow {
 public:
  TDialog(TWindow* parent, int templateId, TModule* module);

  // A bare pointer; the children decide how many bytes each takes.
  void SetTransferBuffer(void* buffer) { transferBuffer_ = buffer; }

  // Runs the dialog modally with the parent's window as owner: 1 after OK
  // (controls transferred into the buffer), 2 after Cancel or close.
  // Throws TXWindow when the dialog cannot be made.
  int Execute();

 protected:
  void EndWindow() override;

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND, UINT, WPARAM, LPARAM);
  INT_PTR HandleMessage(UINT message, WPARAM wParam);
  void TransferData(TransferDirection direction);

  int templateId_;
  void* transferBuffer_ = nullptr;
  bool created_ = false;
};
