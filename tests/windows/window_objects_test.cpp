// The window-object layer on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/call_objects.h"
#include "host/modeler_window.h"
#include "winobj/check_box.h"
#include "winobj/dialog.h"
#include "winobj/edit.h"
#include "winobj/module.h"
#include "winobj/window.h"
#include "winobj/window_exception.h"

namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr LRESULT kPong = 1234;

LRESULT CALLBACK PlainProcedure(HWND h, UINT m, WPARAM w, LPARAM l) {
  return m == kPing ? kPong : DefWindowProcA(h, m, w, l);
}
LRESULT CALLBACK PlainProcedureW(HWND h, UINT m, WPARAM w, LPARAM l) {
  return m == kPing ? kPong : DefWindowProcW(h, m, w, l);
}
// A window that answers every message with a non-zero value.
LRESULT CALLBACK AnswersEverything(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NCCREATE || m == WM_CREATE || m == WM_NCCALCSIZE) return DefWindowProcA(h, m, w, l);
  return 1;
}

HWND MakeWindow(WNDPROC procedure, bool unicode = false) {
  static int serial = 0;
  const std::string name = "TestWindow" + std::to_string(++serial);
  if (unicode) {
    const std::wstring wide(name.begin(), name.end());
    WNDCLASSW c = {};
    c.lpfnWndProc = procedure;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = wide.c_str();
    RegisterClassW(&c);
    return CreateWindowExW(0, wide.c_str(), L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           c.hInstance, nullptr);
  }
  WNDCLASSA c = {};
  c.lpfnWndProc = procedure;
  c.hInstance = GetModuleHandleA(nullptr);
  c.lpszClassName = name.c_str();
  RegisterClassA(&c);
  return CreateWindowExA(0, name.c_str(), "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, c.hInstance,
                         nullptr);
}

LONG_PTR ProcedureOf(HWND h) { return IsWindowUnicode(h) ? GetWindowLongPtrW(h, GWLP_WNDPROC) : GetWindowLongPtrA(h, GWLP_WNDPROC); }

TEST(TModule, KeepsItsOwnCopyOfTheName) {
  char name[] = "winmod.exe";
  TModule module(name, GetModuleHandleA(nullptr));
  name[0] = 'X';
  EXPECT_STREQ(module.GetName(), "winmod.exe");
  EXPECT_EQ(module.GetInstance(), GetModuleHandleA(nullptr));
}

TEST(TWindowAlias, StandsInFrontAndGivesTheProcedureBack) {
  for (bool unicode : {false, true}) {
    SCOPED_TRACE(unicode ? "unicode window" : "ANSI window");
    const HWND h = MakeWindow(unicode ? PlainProcedureW : PlainProcedure, unicode);
    ASSERT_TRUE(h);
    const LONG_PTR original = ProcedureOf(h);
    auto* alias = new TWindow(h, nullptr);
    EXPECT_NE(ProcedureOf(h), original);
    EXPECT_EQ(SendMessageA(h, kPing, 0, 0), kPong);  // passed on
    EXPECT_EQ(TWindow::Lookup(h), alias);
    delete alias;
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(ProcedureOf(h), original);
    EXPECT_EQ(IsWindowUnicode(h) != FALSE, unicode);
    EXPECT_EQ(TWindow::Lookup(h), nullptr);
    EXPECT_EQ(SendMessageA(h, kPing, 0, 0), kPong);
    DestroyWindow(h);
  }
}

// A child object with a real window of its own, counting its destruction.
class Probe : public TWindow {
 public:
  Probe(TWindow* parent, int* destroyed) : TWindow(parent, nullptr), destroyed_(destroyed) {
    SetHandle(CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, parent->GetHandle(), nullptr, nullptr,
                              nullptr));
  }
  ~Probe() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(TWindowAlias, DestroysItsChildrenAndTheirWindows) {
  const HWND h = MakeWindow(PlainProcedure);
  auto* parent = new TWindow(h, nullptr);
  int destroyed = 0;
  auto* first = new Probe(parent, &destroyed);
  auto* second = new Probe(parent, &destroyed);
  const HWND firstWindow = first->GetHandle(), secondWindow = second->GetHandle();
  ASSERT_TRUE(IsWindow(firstWindow));
  delete parent;
  EXPECT_EQ(destroyed, 2);
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_FALSE(IsWindow(secondWindow));
  EXPECT_TRUE(IsWindow(h));
  DestroyWindow(h);
}

TEST(TWindowLookup, TrustsOnlyObjectsMadeForThatHandle) {
  const HWND plain = MakeWindow(PlainProcedure);
  EXPECT_EQ(TWindow::Lookup(plain), nullptr);

  const HWND liar = MakeWindow(AnswersEverything);
  EXPECT_EQ(TWindow::Lookup(liar), nullptr);

  // Even an answer naming a real object of ours, made for another window.
  auto* other = new TWindow(plain, nullptr);
  const HWND impostor = MakeWindow(PlainProcedure);
  struct {
    static LRESULT CALLBACK Procedure(HWND h, UINT m, WPARAM w, LPARAM l) {
      if (m == TWindow::LookupMessage()) return reinterpret_cast<LRESULT>(GetPropA(h, "other"));
      return DefWindowProcA(h, m, w, l);
    }
  } impostorProcedure;
  SetPropA(impostor, "other", other);
  SetWindowLongPtrA(impostor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&decltype(impostorProcedure)::Procedure));
  EXPECT_EQ(TWindow::Lookup(impostor), nullptr);
  delete other;

  // The call objects then make an alias of their own, and give the window back.
  HostWindow = liar;
  const LONG_PTR original = ProcedureOf(liar);
  AcquireParentWindow();
  ASSERT_NE(ParentWindow, nullptr);
  EXPECT_EQ(ParentWindow->GetHandle(), liar);
  EXPECT_EQ(TWindow::Lookup(liar), ParentWindow);
  ReleaseCallObjects();
  EXPECT_EQ(ParentWindow, nullptr);
  EXPECT_EQ(ProcedureOf(liar), original);

  RemovePropA(impostor, "other");
  for (HWND h : {plain, liar, impostor}) DestroyWindow(h);
}

// The test template 500: edit 201 and 202, check box 203.
struct TransferLayout {
  char first[8];
  char second[4];
  unsigned char state[2];  // right after the texts: no alignment
};
static_assert(sizeof(TransferLayout) == 14, "test layout");

class TDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module = new TModule("test", GetModuleHandleA(nullptr));
    parent = new TWindow(host.Handle(), module);
  }
  void TearDown() override {
    delete parent;
    delete module;
  }
  TDialog* MakeDialog(int templateId = 500) {
    auto* dialog = new TDialog(parent, templateId, module);
    new TEdit(dialog, 201, 8);
    new TEdit(dialog, 202, 4);
    new TCheckBox(dialog, 203);
    dialog->SetTransferBuffer(&buffer);
    return dialog;
  }
  ModelerWindow host;
  TModule* module = nullptr;
  TWindow* parent = nullptr;
  TransferLayout buffer;
};

TEST_F(TDialogTest, TransfersInAndOutWithTheExactLayout) {
  std::memset(&buffer, '#', sizeof buffer);
  std::memcpy(buffer.first, "abc", 4);
  std::memcpy(buffer.second, "xyzw", 4);  // no terminator: read to the field's end only
  buffer.state[0] = 1;
  buffer.state[1] = 0;
  std::string seenFirst, seenSecond;
  LRESULT seenCheck = -1, limitFirst = 0, limitSecond = 0;
  host.Driver().Then([&](HWND d) {
    seenFirst = DialogDriver::Text(d, 201);
    seenSecond = DialogDriver::Text(d, 202);
    seenCheck = SendDlgItemMessageA(d, 203, BM_GETCHECK, 0, 0);
    limitFirst = SendDlgItemMessageA(d, 201, EM_GETLIMITTEXT, 0, 0);
    limitSecond = SendDlgItemMessageA(d, 202, EM_GETLIMITTEXT, 0, 0);
  });
  host.Driver().Type(201, "1234567890");  // stops at the limit of 7
  host.Driver().Type(202, "pq");
  host.Driver().Click(203);
  host.Driver().Click(IDOK);
  EXPECT_EQ(MakeDialog()->Execute(), IDOK);
  EXPECT_EQ(seenFirst, "abc");
  EXPECT_EQ(seenSecond, "xyzw");
  EXPECT_EQ(seenCheck, BST_CHECKED);
  EXPECT_EQ(limitFirst, 7);
  EXPECT_EQ(limitSecond, 3);
  const unsigned char expected[14] = {'1', '2', '3', '4', '5', '6', '7', 0, 'p', 'q', 0, 'w', 0, 0};
  EXPECT_EQ(0, std::memcmp(&buffer, expected, sizeof expected));
}

TEST_F(TDialogTest, CancelAndCloseEndWithTwoAndTransferNothing) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    std::memset(&buffer, 0, sizeof buffer);
    std::memcpy(buffer.first, "keep", 5);
    host.Driver().Type(201, "changed");
    if (way == 0) host.Driver().Click(IDCANCEL);
    if (way == 1) host.Driver().Close();
    if (way == 2) host.Driver().Key(VK_ESCAPE);
    EXPECT_EQ(MakeDialog()->Execute(), IDCANCEL);
    EXPECT_STREQ(buffer.first, "keep");
  }
}

TEST_F(TDialogTest, MissingTemplateRaisesInsteadOfReturning) {
  int seen = 0;
  host.Driver().Then([&](HWND) { ++seen; });
  EXPECT_THROW(MakeDialog(999)->Execute(), TXWindow);
  EXPECT_EQ(seen, 0);
}

TEST_F(TDialogTest, ParentEndsTheDialogsObjects) {
  host.Driver().Click(IDOK);
  MakeDialog()->Execute();
  delete parent;  // with the dialog and its three controls
  parent = new TWindow(host.Handle(), module);
  EXPECT_EQ(TWindow::Lookup(host.Handle()), parent);
}

class DllEntryPointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginInstance = reinterpret_cast<HINSTANCE>(0x1000);
    PluginModule = nullptr;
  }
  void TearDown() override {
    delete PluginModule;
    PluginModule = nullptr;
  }
};

TEST_F(DllEntryPointTest, OnlyProcessAttachActs) {
  const HINSTANCE self = GetModuleHandleA(nullptr);
  for (DWORD reason : {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_PROCESS_DETACH}) {
    EXPECT_EQ(DllEntryPoint(self, reason, nullptr), TRUE);
    EXPECT_EQ(PluginInstance, reinterpret_cast<HINSTANCE>(0x1000));
    EXPECT_EQ(PluginModule, nullptr);
  }
  EXPECT_EQ(DllEntryPoint(self, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(PluginInstance, self);
  ASSERT_NE(PluginModule, nullptr);
  EXPECT_EQ(PluginModule->GetInstance(), self);
  EXPECT_STREQ(PluginModule->GetName(), "winmod.exe");
  TModule* const made = PluginModule;
  for (DWORD reason : {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_PROCESS_DETACH}) {
    EXPECT_EQ(DllEntryPoint(self, reason, nullptr), TRUE);
    EXPECT_EQ(PluginModule, made);
    EXPECT_EQ(PluginInstance, self);
  }
}

TEST_F(DllEntryPointTest, NullInstanceIsStoredAndMakesNoModule) {
  EXPECT_EQ(DllEntryPoint(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(PluginInstance, nullptr);
  EXPECT_EQ(PluginModule, nullptr);
}

}  // namespace
