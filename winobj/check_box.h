// A check box of the parent dialog, bound by its ID; it takes an unsigned
// 16-bit check state in the transfer buffer.
#pragma once

#include "winobj/window.h"

class TCheckBox : public TWindow {
 public:
  TCheckBox(TWindow* parent, int controlId, TModule* module = nullptr);

 protected:
  void SetupWindow() override;
  std::size_t Transfer(void* buffer, TransferDirection direction) override;

 private:
  int controlId_;
};
