#include "host/dialog_driver.h"

#include <cstdio>
#include <vector>

namespace {

struct PopupSearch {
  HWND owner, found;
};

BOOL CALLBACK MatchPopup(HWND w, LPARAM p) {
  auto* search = reinterpret_cast<PopupSearch*>(p);
  if (GetWindow(w, GW_OWNER) != search->owner || !IsWindowEnabled(w) || !IsWindowVisible(w)) return TRUE;
  search->found = w;
  return FALSE;
}

// The enabled, visible window that `owner` owns on this thread: the
// plug-in's dialog or message box while one is up.
HWND OwnedPopup(HWND owner) {
  PopupSearch search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchPopup, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void DialogDriver::OnTick(HWND owner) {
  const HWND dialog = OwnedPopup(owner);
  if (!dialog) return;
  if (dialog != last_) {
    last_ = dialog;
    ++dialogsSeen_;
  }
  if (steps_.empty()) return;
  Step step = std::move(steps_.front());
  steps_.pop_front();
  step(dialog);
}

void DialogDriver::Type(int controlId, const std::string& text) {
  Then([controlId, text](HWND dialog) {
    const HWND edit = GetDlgItem(dialog, controlId);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    PostMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (unsigned char c : text) PostMessageA(edit, WM_CHAR, c, 0);
  });
}

void DialogDriver::Key(UINT virtualKey) {
  Then([virtualKey](HWND dialog) {
    HWND focus = GetFocus();
    if (!focus) focus = dialog;
    PostMessageA(focus, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(focus, WM_KEYUP, virtualKey, 0xC0000001);
  });
}

void DialogDriver::Click(int controlId) {
  Then([controlId](HWND dialog) { PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0); });
}

void DialogDriver::Close() {
  Then([](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
}

void DialogDriver::SetChecked(int controlId, bool checked) {
  Then([controlId, checked](HWND dialog) {
    const HWND box = GetDlgItem(dialog, controlId);
    if ((SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) PostMessageA(box, BM_CLICK, 0, 0);
  });
}

std::string DialogDriver::Text(HWND dialog, int controlId) {
  char text[256] = {};
  GetDlgItemTextA(dialog, controlId, text, sizeof text);
  return text;
}

int DialogDriver::FocusId(HWND dialog) {
  const HWND focus = GetFocus();
  return focus && GetParent(focus) == dialog ? GetDlgCtrlID(focus) : 0;
}

bool CaptureWindow(HWND window, const std::string& bmpPath) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int stride = (width * 3 + 3) & ~3;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
  GdiFlush();
  bool written = false;
  if (copied) {
    if (FILE* f = std::fopen(bmpPath.c_str(), "wb")) {
      BITMAPFILEHEADER file = {};
      file.bfType = 0x4D42;
      file.bfOffBits = sizeof file + sizeof info.bmiHeader;
      file.bfSize = file.bfOffBits + stride * height;
      std::fwrite(&file, sizeof file, 1, f);
      std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
      std::fwrite(bits, 1, static_cast<size_t>(stride) * height, f);
      written = std::fclose(f) == 0;
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}
