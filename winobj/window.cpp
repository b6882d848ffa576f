#include "winobj/window.h"

#include <algorithm>

namespace {

// Every window object alive in this module: the only answers to the lookup
// message that are believed.
std::vector<TWindow*>& LiveWindows() {
  static std::vector<TWindow*> live;
  return live;
}

void Forget(TWindow* window) {
  auto& live = LiveWindows();
  live.erase(std::remove(live.begin(), live.end(), window), live.end());
}

}  // namespace

UINT TWindow::LookupMessage() {
  static const UINT message = RegisterWindowMessageA("Talvernis.WindowObject");
  return message;
}

void TWindow::Register() {
  LiveWindows().push_back(this);
  if (parent_) {
    try {
      parent_->children_.push_back(this);
    } catch (...) {
      Forget(this);
      throw;
    }
  }
}

TWindow::TWindow(HWND aliased, TModule* module) : handle_(aliased), module_(module) {
  Register();
  unicode_ = IsWindowUnicode(aliased) != FALSE;
  const LONG_PTR ours = reinterpret_cast<LONG_PTR>(&TWindow::AliasProcedure);
  previousProcedure_ = reinterpret_cast<WNDPROC>(unicode_ ? SetWindowLongPtrW(aliased, GWLP_WNDPROC, ours)
                                                          : SetWindowLongPtrA(aliased, GWLP_WNDPROC, ours));
}

TWindow::TWindow(TWindow* parent, TModule* module) : module_(module), parent_(parent) { Register(); }

TWindow::~TWindow() {
  std::vector<TWindow*> children;
  children.swap(children_);
  for (TWindow* child : children) {
    child->parent_ = nullptr;
    child->EndWindow();
    delete child;
  }
  if (previousProcedure_) {
    const LONG_PTR previous = reinterpret_cast<LONG_PTR>(previousProcedure_);
    if (unicode_)
      SetWindowLongPtrW(handle_, GWLP_WNDPROC, previous);
    else
      SetWindowLongPtrA(handle_, GWLP_WNDPROC, previous);
  }
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  Forget(this);
}

TModule* TWindow::GetModule() const {
  for (const TWindow* w = this; w; w = w->parent_)
    if (w->module_) return w->module_;
  return nullptr;
}

std::size_t TWindow::Transfer(void*, TransferDirection) { return 0; }

void TWindow::EndWindow() {
  if (handle_ && !previousProcedure_ && IsWindow(handle_)) DestroyWindow(handle_);
  handle_ = nullptr;
}

TWindow* TWindow::Lookup(HWND handle) {
  if (!handle) return nullptr;
  const LRESULT answer = SendMessageA(handle, LookupMessage(), 0, 0);
  if (answer == 0) return nullptr;
  for (TWindow* window : LiveWindows())
    if (reinterpret_cast<LRESULT>(window) == answer && window->handle_ == handle) return window;
  return nullptr;
}

LRESULT CALLBACK TWindow::AliasProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  // With several aliases for one handle, the newest answers the lookup and
  // the oldest holds the window's own procedure; the others hold ours.
  const WNDPROC ours = &TWindow::AliasProcedure;
  TWindow* newest = nullptr;
  TWindow* oldest = nullptr;
  for (TWindow* window : LiveWindows()) {
    if (window->handle_ != handle || !window->previousProcedure_) continue;
    newest = window;
    if (window->previousProcedure_ != ours) oldest = window;
  }
  if (newest && message == LookupMessage()) return reinterpret_cast<LRESULT>(newest);
  if (!oldest) return DefWindowProcA(handle, message, wParam, lParam);
  return oldest->unicode_ ? CallWindowProcW(oldest->previousProcedure_, handle, message, wParam, lParam)
                          : CallWindowProcA(oldest->previousProcedure_, handle, message, wParam, lParam);
}
