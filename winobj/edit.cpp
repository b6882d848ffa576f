#include "winobj/edit.h"

#include <cstring>
#include <string>

TEdit::TEdit(TWindow* parent, int controlId, unsigned textLimit, TModule* module)
    : TWindow(parent, module), controlId_(controlId), textLimit_(textLimit) {}

void TEdit::SetupWindow() {
  SetHandle(GetDlgItem(GetParentObject()->GetHandle(), controlId_));
  if (GetHandle() && textLimit_ > 0) SendMessageA(GetHandle(), EM_LIMITTEXT, textLimit_ - 1, 0);
}

std::size_t TEdit::Transfer(void* buffer, TransferDirection direction) {
  char* field = static_cast<char*>(buffer);
  if (GetHandle() && textLimit_ > 0) {
    if (direction == TransferDirection::OutOfControls) {
      GetWindowTextA(GetHandle(), field, static_cast<int>(textLimit_));
    } else if (std::memchr(field, 0, textLimit_)) {
      SetWindowTextA(GetHandle(), field);
    } else {
      // A field without its terminating zero is read no further than its end.
      SetWindowTextA(GetHandle(), std::string(field, textLimit_).c_str());
    }
  }
  return textLimit_;
}
