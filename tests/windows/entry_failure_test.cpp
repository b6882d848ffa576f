// _Xmodeler when the platform layer throws: linked in, with a module
// object that points at a module without the dialog template.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "core/call_objects.h"
#include "core/offset_parameters.h"
#include "host/host_model.h"
#include "host/modeler_window.h"
#include "winobj/module.h"

extern "C" std::int32_t _Xmodeler(HWND window, std::int32_t unused, HostRecord* record);

namespace {

TEST(EntryFailure, NothingEscapesAndTheHostGetsItsWindowBack) {
  HostModel model;
  model.LoadCube();
  ModelerWindow host;
  DllEntryPoint(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr);
  delete PluginModule;
  PluginModule = new TModule("winmod.exe", GetModuleHandleA("kernel32.dll"));
  const LONG_PTR procedure = GetWindowLongPtrA(host.Handle(), GWLP_WNDPROC);
  const HCURSOR cross = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));
  SetCursor(cross);

  EXPECT_EQ(_Xmodeler(host.Handle(), 0, model.Record()), 0);
  EXPECT_TRUE(model.Log().empty());
  EXPECT_EQ(ParentWindow, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(host.Handle(), GWLP_WNDPROC), procedure);
  EXPECT_EQ(GetCursor(), cross);
  EXPECT_EQ(OffsetParameters.EastOffset, 0.0);
  EXPECT_EQ(OffsetParameters.ExtrudeFlag, 1);
  EXPECT_EQ(host.Driver().DialogsSeen(), 0);

  delete PluginModule;
  PluginModule = nullptr;
}

}  // namespace
