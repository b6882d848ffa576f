// _Xmodeler from end to end: the real DLL loaded into a host process and
// observed only from the host's side.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host_model.h"
#include "host/modeler_window.h"

namespace {

const HCURSOR kWait = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));
const HCURSOR kCross = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));
const std::vector<std::string> kExtrudeLog = {"Extrude(1)", "FirstAfterMove", "SecondAfterMove"};

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.Loaded()) << TALVERNIS_DLL;
    model.LoadCube();
    model.UnitScale() = 1000.0;
    model.OnAnyHook = [this](HostModel&, const char*) { cursorsInHooks.push_back(GetCursor()); };
    procedureBefore = GetWindowLongPtrA(host.Handle(), GWLP_WNDPROC);
    SetCursor(kCross);
  }
  std::int32_t Call(std::int32_t unused = 0) { return plugin.Call(host.Handle(), model.Record(), unused); }
  void ExpectHostWindowIntact() {
    EXPECT_TRUE(IsWindow(host.Handle()));
    EXPECT_TRUE(IsWindowEnabled(host.Handle()));
    EXPECT_EQ(GetWindowLongPtrA(host.Handle(), GWLP_WNDPROC), procedureBefore);
  }
  DialogDriver& Driver() { return host.Driver(); }

  PluginLibrary plugin{TALVERNIS_DLL};
  HostModel model;
  ModelerWindow host;
  LONG_PTR procedureBefore = 0;
  std::vector<HCURSOR> cursorsInHooks;
};

std::string LibraryPath(HMODULE module) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  return path;
}

TEST_F(EntryTest, NothingSelectedShowsTheMessageAndChangesNothing) {
  model.SelectedCount() = 0;
  const std::vector<HostVertex> before = model.Vertices();
  std::string text, caption;
  HWND owner = nullptr;
  bool hasOffsetBoxes = true;
  Driver().Then([&](HWND box) {
    text = DialogDriver::Text(box, 0xFFFF);
    char c[MAX_PATH] = {};
    GetWindowTextA(box, c, MAX_PATH);
    caption = c;
    owner = GetWindow(box, GW_OWNER);
    hasOffsetBoxes = GetDlgItem(box, 107) != nullptr;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(Call(), 0);
  EXPECT_EQ(text, "Too few vertices are selected for this operation");
  EXPECT_EQ(caption, LibraryPath(plugin.Module()));
  EXPECT_EQ(owner, host.Handle());
  EXPECT_FALSE(hasOffsetBoxes);
  EXPECT_EQ(Driver().DialogsSeen(), 1);
  EXPECT_TRUE(model.Log().empty());
  EXPECT_EQ(0, std::memcmp(before.data(), model.Vertices().data(), before.size() * sizeof(HostVertex)));
  EXPECT_EQ(GetCursor(), kCross);
  ExpectHostWindowIntact();
}

TEST_F(EntryTest, AnyNonZeroSelectedCountShowsTheDialog) {
  for (std::int32_t count : {1, -1, 2147483647}) {
    model.SelectedCount() = count;
    bool hasOffsetBoxes = false;
    Driver().Then([&](HWND d) { hasOffsetBoxes = GetDlgItem(d, 107) != nullptr; });
    Driver().Click(IDCANCEL);
    EXPECT_EQ(Call(), 0) << count;
    EXPECT_TRUE(hasOffsetBoxes) << count;
    Driver().Reset();
  }
}

TEST_F(EntryTest, CancelCallsNoHookAndLeavesTheCursor) {
  const std::vector<HostVertex> before = model.Vertices();
  Driver().Type(107, "5");
  Driver().Click(IDCANCEL);
  EXPECT_EQ(Call(), 0);
  EXPECT_TRUE(model.Log().empty());
  EXPECT_EQ(0, std::memcmp(before.data(), model.Vertices().data(), before.size() * sizeof(HostVertex)));
  EXPECT_EQ(GetCursor(), kCross);
  ExpectHostWindowIntact();
}

TEST_F(EntryTest, OkMovesUnderTheWaitCursorAndReturnsOne) {
  const struct {
    bool extrude;
    std::vector<std::string> log;
    std::size_t vertices;
  } cases[] = {{true, kExtrudeLog, 12}, {false, {"PlainMove(1)", "FirstAfterMove", "SecondAfterMove"}, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extrude);
    model.LoadCube();
    model.ClearLog();
    cursorsInHooks.clear();
    Driver().Reset();
    Driver().Type(107, "1.5");
    Driver().Type(108, "-2");
    Driver().Type(109, "0.25");
    Driver().SetChecked(106, c.extrude);
    Driver().Click(IDOK);
    EXPECT_EQ(Call(), 1);
    EXPECT_EQ(model.Log(), c.log);
    EXPECT_EQ(cursorsInHooks, std::vector<HCURSOR>(3, kWait));
    EXPECT_EQ(GetCursor(), kCross);
    ExpectHostWindowIntact();
    const std::vector<HostVertex> v = model.Vertices();
    ASSERT_EQ(v.size(), c.vertices);
    for (std::size_t i = 0; i < v.size(); ++i) {
      const bool moved = v[i].Status == 1;
      const int corner = static_cast<int>(i < 8 ? i : i - 4);
      EXPECT_EQ(v[i].X, (corner & 1) * 1000 + (moved ? 1500 : 0)) << i;
      EXPECT_EQ(v[i].Y, (corner >> 1 & 1) * 1000 + (moved ? -2000 : 0)) << i;
      EXPECT_EQ(v[i].Z, (corner >> 2 & 1) * 1000 + (moved ? 250 : 0)) << i;
    }
  }
}

TEST_F(EntryTest, SecondArgumentIsNeverRead) {
  for (std::int32_t unused : {0, 1, -1, 0x12345678}) {
    model.LoadCube();
    model.ClearLog();
    Driver().Reset();
    Driver().Click(IDOK);
    EXPECT_EQ(Call(unused), 1) << unused;
    EXPECT_EQ(model.Log(), kExtrudeLog) << unused;
  }
}

// The dialog cannot be made when the host's window handle is not a window:
// the call ends with 0, calls no hook and leaves the cursor.
TEST_F(EntryTest, DialogThatCannotBeMadeEndsTheCallWithZero) {
  const HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  EXPECT_EQ(plugin.Call(gone, model.Record()), 0);
  EXPECT_TRUE(model.Log().empty());
  EXPECT_EQ(GetCursor(), kCross);
  // And the next call in the same load works.
  Driver().Click(IDOK);
  EXPECT_EQ(Call(), 1);
  EXPECT_EQ(model.Log(), kExtrudeLog);
}

TEST_F(EntryTest, CallMadeWhileOneRunsIsRefusedAndTheFirstCompletes) {
  HostModel other;
  other.LoadCube();
  model.MakeCurrent();
  std::int32_t nested = -1, nestedEmpty = -1;
  int dialogsDuring = 0;
  Driver().Then([&](HWND) {
    nested = plugin.Call(host.Handle(), other.Record());
    other.SelectedCount() = 0;
    nestedEmpty = plugin.Call(host.Handle(), other.Record());
    dialogsDuring = Driver().DialogsSeen();
  });
  Driver().Type(109, "7");
  Driver().Click(IDOK);
  model.OnAnyHook = nullptr;
  EXPECT_EQ(Call(), 1);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(nestedEmpty, 0);
  EXPECT_EQ(dialogsDuring, 1);
  EXPECT_TRUE(other.Log().empty());
  EXPECT_EQ(model.Log(), kExtrudeLog);
  EXPECT_EQ(model.Vertices()[8].Z, 1000 + 7000);
  ExpectHostWindowIntact();
}

TEST_F(EntryTest, HostWindowThatAnswersEveryMessageIsNotTakenForOurs) {
  host.Intercept = [](UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message == WM_TIMER || message < WM_USER) return false;
    result = 1;  // every registered message too
    return true;
  };
  Driver().Type(107, "1");
  Driver().Click(IDOK);
  EXPECT_EQ(Call(), 1);
  EXPECT_EQ(model.Log(), kExtrudeLog);
  ExpectHostWindowIntact();
}

TEST_F(EntryTest, ManyCallsInOneLoadBehaveAlike) {
  for (int i = 0; i < 30; ++i) {
    model.LoadCube();
    model.ClearLog();
    Driver().Reset();
    const int path = i % 3;
    if (path == 0) model.SelectedCount() = 0;
    Driver().Then([](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); });
    if (path == 1) {
      Driver().Reset();
      Driver().Click(IDCANCEL);
    }
    EXPECT_EQ(Call(), path == 2 ? 1 : 0) << i;
    EXPECT_EQ(model.Log().size(), path == 2 ? 3u : 0u) << i;
    ExpectHostWindowIntact();
  }
}

#if defined(__i386__)
// Calls a 32-bit function with three 4-byte arguments and reports how many
// argument bytes the callee took off the stack itself: 0 for cdecl, 12 for
// stdcall. The callee's result comes back in `result`.
std::uint32_t BytesPoppedByCallee(void* function, const std::uint32_t (&arguments)[3], std::uint32_t& result) {
  std::uint32_t before, after, scratch = 0;
  void* callee = function;
  const std::uint32_t* argument = arguments;
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "pushl 8(%%ecx)\n\t"
      "pushl 4(%%ecx)\n\t"
      "pushl (%%ecx)\n\t"
      "call *%%eax\n\t"
      "movl %%esp, %%edi\n\t"
      "movl %%esi, %%esp"
      : "=&S"(before), "=&D"(after), "+a"(callee), "+c"(argument), "+d"(scratch)
      :
      : "memory", "cc");
  result = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(callee));
  return after - (before - 12);
}

// The host calls _Xmodeler as cdecl and the loader's convention for
// DllEntryPoint is stdcall: a callee that cleaned the wrong amount of stack
// would unbalance the host's frame.
TEST_F(EntryTest, CallingConventionsOfTheExports) {
  model.SelectedCount() = 0;
  Driver().Then([](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
  void* entry = reinterpret_cast<void*>(GetProcAddress(plugin.Module(), "_Xmodeler"));
  void* attach = reinterpret_cast<void*>(GetProcAddress(plugin.Module(), "DllEntryPoint"));
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(attach, nullptr);
  std::uint32_t result = 0xDEAD;
  const std::uint32_t call[3] = {static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(host.Handle())), 0,
                                 static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(model.Record()))};
  EXPECT_EQ(BytesPoppedByCallee(entry, call, result), 0u);
  EXPECT_EQ(result, 0u);  // nothing selected
  EXPECT_EQ(Driver().DialogsSeen(), 1);
  const std::uint32_t threadAttach[3] = {
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(plugin.Module())), DLL_THREAD_ATTACH, 0};
  EXPECT_EQ(BytesPoppedByCallee(attach, threadAttach, result), 12u);
  EXPECT_EQ(result, 1u);
}
#endif

}  // namespace
