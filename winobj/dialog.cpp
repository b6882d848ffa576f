#include "winobj/dialog.h"

#include "winobj/module.h"
#include "winobj/window_exception.h"

TDialog::TDialog(TWindow* parent, int templateId, TModule* module)
    : TWindow(parent, module), templateId_(templateId) {}

int TDialog::Execute() {
  const TModule* module = GetModule();
  // Without a module of its own the dialog looks in the program's file.
  const HINSTANCE instance = module ? module->GetInstance() : GetModuleHandleA(nullptr);
  const HWND owner = GetParentObject() ? GetParentObject()->GetHandle() : nullptr;
  created_ = false;
  const INT_PTR code = DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId_), owner, &TDialog::DialogProcedure,
                                       reinterpret_cast<LPARAM>(this));
  // The dialog's window and its controls are gone now.
  SetHandle(nullptr);
  for (TWindow* child : Children()) child->SetHandle(nullptr);
  // A dialog that never came up (no template, a bad owner) was confirmed by
  // nobody, whatever DialogBoxParam returned.
  if (code == -1 || !created_) throw TXWindow("the dialog could not be made");
  return static_cast<int>(code);
}

void TDialog::EndWindow() {
  if (GetHandle() && IsWindow(GetHandle())) EndDialog(GetHandle(), IDCANCEL);
}

void TDialog::TransferData(TransferDirection direction) {
  if (!transferBuffer_) return;
  auto* field = static_cast<unsigned char*>(transferBuffer_);
  for (TWindow* child : Children()) field += child->Transfer(field, direction);
}

INT_PTR CALLBACK TDialog::DialogProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(handle, DWLP_USER, lParam);
  auto* dialog = reinterpret_cast<TDialog*>(GetWindowLongPtrA(handle, DWLP_USER));
  if (!dialog) return FALSE;
  if (message == WM_INITDIALOG) {
    dialog->SetHandle(handle);
    dialog->created_ = true;
  }
  // Nothing may unwind through the system's dialog manager.
  try {
    return dialog->HandleMessage(message, wParam);
  } catch (...) {
    EndDialog(handle, -1);
    return TRUE;
  }
}

INT_PTR TDialog::HandleMessage(UINT message, WPARAM wParam) {
  const HWND handle = GetHandle();
  if (message == LookupMessage()) {
    SetWindowLongPtrA(handle, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(this));
    return TRUE;
  }
  switch (message) {
    case WM_INITDIALOG:
      for (TWindow* child : Children()) child->SetupWindow();
      TransferData(TransferDirection::IntoControls);
      return TRUE;  // the first tab stop takes the focus
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          for (TWindow* child : Children())
            if (!child->CanClose()) return TRUE;
          TransferData(TransferDirection::OutOfControls);
          EndDialog(handle, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(handle, IDCANCEL);
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(handle, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}
