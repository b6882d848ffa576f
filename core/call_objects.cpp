#include "core/call_objects.h"

#include <new>

#include "winobj/module.h"
#include "winobj/window.h"

HINSTANCE PluginInstance = nullptr;
TModule* PluginModule = nullptr;
TWindow* ParentWindow = nullptr;
HostRecord* CallRecord = nullptr;
HWND HostWindow = nullptr;

namespace {

// The module object lives as long as the library: the runtime's static
// clean-up, which runs at the last process detach, frees it.
struct PluginModuleRelease {
  ~PluginModuleRelease() {
    delete PluginModule;
    PluginModule = nullptr;
  }
} pluginModuleRelease;

}  // namespace

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  PluginInstance = instance;
  if (instance) {
    delete PluginModule;
    // Without memory for it, calls fail cleanly at the dialog instead.
    PluginModule = new (std::nothrow) TModule("winmod.exe", instance);
  }
  return TRUE;
}

void AcquireParentWindow() {
  ParentWindow = TWindow::Lookup(HostWindow);
  if (!ParentWindow) ParentWindow = new TWindow(HostWindow, PluginModule);
}

void ReleaseCallObjects() {
  delete ParentWindow;
  ParentWindow = nullptr;
}
