// An edit control of the parent dialog, bound by its ID. With a text limit
// of L it takes L - 1 characters and L bytes of the transfer buffer.
#pragma once

#include "winobj/window.h"

class TEdit : public TWindow {
 public:
  TEdit(TWindow* parent, int controlId, unsigned textLimit, TModule* module = nullptr);

 protected:
  void SetupWindow() override;
  std::size_t Transfer(void* buffer, TransferDirection direction) override;

 private:
  int controlId_;
  unsigned textLimit_;
};
