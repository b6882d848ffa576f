#include "host/modeler_window.h"

namespace {
constexpr UINT_PTR kDriverTimer = 1;
}

PluginLibrary::PluginLibrary(const std::string& path) : module_(LoadLibraryA(path.c_str())) {
  if (module_) entry_ = reinterpret_cast<XmodelerEntry>(reinterpret_cast<void*>(GetProcAddress(module_, "_Xmodeler")));
}

PluginLibrary::~PluginLibrary() {
  if (module_) FreeLibrary(module_);
}

ModelerWindow::ModelerWindow() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA c = {};
  c.lpfnWndProc = &ModelerWindow::Procedure;
  c.hInstance = instance;
  c.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  c.lpszClassName = "TalvernisModeler";
  RegisterClassA(&c);  // a second registration fails harmlessly
  handle_ = CreateWindowExA(0, "TalvernisModeler", "Modeler", WS_OVERLAPPEDWINDOW, 40, 40, 560, 420, nullptr,
                            nullptr, instance, this);
  SetTimer(handle_, kDriverTimer, 20, nullptr);
}

ModelerWindow::~ModelerWindow() {
  Intercept = nullptr;
  DestroyWindow(handle_);
}

LRESULT CALLBACK ModelerWindow::Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrA(handle, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<ModelerWindow*>(GetWindowLongPtrA(handle, GWLP_USERDATA));
  if (self) {
    LRESULT result = 0;
    if (self->Intercept && self->Intercept(message, wParam, lParam, result)) return result;
    if (message == WM_TIMER && wParam == kDriverTimer) self->driver_.OnTick(handle);
  }
  return DefWindowProcA(handle, message, wParam, lParam);
}
