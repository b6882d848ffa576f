#include "winobj/check_box.h"

#include <cstdint>
#include <cstring>

TCheckBox::TCheckBox(TWindow* parent, int controlId, TModule* module)
    : TWindow(parent, module), controlId_(controlId) {}

void TCheckBox::SetupWindow() { SetHandle(GetDlgItem(GetParentObject()->GetHandle(), controlId_)); }

std::size_t TCheckBox::Transfer(void* buffer, TransferDirection direction) {
  std::uint16_t state = 0;
  if (GetHandle()) {
    if (direction == TransferDirection::OutOfControls) {
      state = static_cast<std::uint16_t>(SendMessageA(GetHandle(), BM_GETCHECK, 0, 0));
      std::memcpy(buffer, &state, sizeof state);
    } else {
      std::memcpy(&state, buffer, sizeof state);
      SendMessageA(GetHandle(), BM_SETCHECK, state, 0);
    }
  }
  return sizeof state;
}
