// _Xmodeler, the one function the host calls.
#include <windows.h>

#include <cstdint>

#include "core/call_objects.h"
#include "core/float_guard.h"
#include "core/move_selection.h"
#include "dialog/offset_dialog.h"
#include "resources/resource_ids.h"

char ModulePath[256];
char MessageText[256];

namespace {

bool callInProgress = false;

// 1 when the model was moved, 0 otherwise. Everything the platform layer
// throws ends here: a C++ exception must never reach the host.
//
// The plug-in's own work, the system calls it makes included, runs under a
// floating-point guard: the system's window and dialog code raises
// exceptions (inexact, mostly) that would trap under a host's unmasked
// settings, and its flags must not stay behind. The hooks are the host's
// and run in the host's own environment, outside the guards.
std::int32_t RunCall(HWND window, HostRecord* record) {
  CallRecord = record;
  HostWindow = window;
  HCURSOR previousCursor = nullptr;
  bool move = false;
  {
    FloatingPointGuard guard;
    try {
      AcquireParentWindow();
      GetModuleFileNameA(PluginInstance, ModulePath, sizeof ModulePath);
      if (*record->SelectedCount == 0) {
        LoadStringA(PluginInstance, IDS_TOO_FEW_VERTICES, MessageText, sizeof MessageText);
        MessageBoxExA(window, MessageText, ModulePath, MB_OK | MB_ICONINFORMATION, 0);
      } else if (RunOffsetDialog() != IDCANCEL) {
        previousCursor = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514) /* IDC_WAIT */));
        move = true;
      }
    } catch (...) {
      move = false;
    }
  }
  if (move) MoveSelection(record);
  FloatingPointGuard guard;
  ReleaseCallObjects();
  if (move) SetCursor(previousCursor);
  return move ? 1 : 0;
}

}  // namespace

extern "C" std::int32_t __cdecl _Xmodeler(HWND window, std::int32_t /*unused*/, HostRecord* record) {
  // One call at a time: a call made while one runs (from a message the
  // host handles during the dialog) is refused and touches nothing.
  if (callInProgress) return 0;
  callInProgress = true;
  const std::int32_t result = RunCall(window, record);
  callInProgress = false;
  return result;
}
