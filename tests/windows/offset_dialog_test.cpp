// The offset dialog, built from the plug-in's own template and driven as a
// user would drive it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "core/call_objects.h"
#include "core/offset_parameters.h"
#include "dialog/offset_dialog.h"
#include "dialog/offset_transfer_buffer.h"
#include "host/host_model.h"
#include "host/modeler_window.h"
#include "tests/common/fp_environment.h"
#include "winobj/module.h"

namespace {

class OffsetDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // This test program carries the plug-in's resources itself.
    DllEntryPoint(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr);
    model.LoadCube();
    model.UnitScale() = 1000.0;
  }
  void TearDown() override {
    delete PluginModule;
    PluginModule = nullptr;
  }
  // One call's worth: the parent object, the dialog run, the release.
  int Run() {
    CallRecord = model.Record();
    HostWindow = host.Handle();
    AcquireParentWindow();
    int code = -1;
    try {
      code = RunOffsetDialog();
    } catch (...) {
      code = -2;
    }
    ReleaseCallObjects();
    return code;
  }
  DialogDriver& Driver() { return host.Driver(); }

  HostModel model;
  ModelerWindow host;
};

struct Presets {
  std::string east, north, up, caption;
  LRESULT checked = -1;
  int focus = 0;
  bool ownerEnabled = true;
};

void ReadPresets(DialogDriver& driver, Presets& seen, HWND owner) {
  driver.Then([&seen, owner](HWND d) {
    seen.east = DialogDriver::Text(d, 107);
    seen.north = DialogDriver::Text(d, 108);
    seen.up = DialogDriver::Text(d, 109);
    seen.checked = SendDlgItemMessageA(d, 106, BM_GETCHECK, 0, 0);
    seen.focus = DialogDriver::FocusId(d);
    char caption[64] = {};
    GetWindowTextA(d, caption, sizeof caption);
    seen.caption = caption;
    seen.ownerEnabled = IsWindowEnabled(owner) != FALSE;
  });
}

void ExpectPresets(const Presets& seen) {
  EXPECT_EQ(seen.east, "0");
  EXPECT_EQ(seen.north, "0");
  EXPECT_EQ(seen.up, "0");
  EXPECT_EQ(seen.checked, BST_CHECKED);
  EXPECT_EQ(seen.focus, 107);
  EXPECT_EQ(seen.caption, "Talvernis");
  EXPECT_FALSE(seen.ownerEnabled);
}

TEST_F(OffsetDialogTest, OkStoresScaledOffsetsAndEveryRunStartsFromThePresets) {
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    Presets seen;
    ReadPresets(Driver(), seen, host.Handle());
    Driver().Type(107, "1.5");
    Driver().Type(108, "-2");
    Driver().Type(109, "0");
    Driver().SetChecked(106, false);
    Driver().Click(IDOK);
    EXPECT_EQ(Run(), IDOK);
    ExpectPresets(seen);
    EXPECT_EQ(OffsetParameters.EastOffset, 1500.0);
    EXPECT_EQ(OffsetParameters.NorthOffset, -2000.0);
    EXPECT_EQ(OffsetParameters.UpOffset, 0.0);
    EXPECT_EQ(OffsetParameters.ExtrudeFlag, 0);
    EXPECT_TRUE(IsWindowEnabled(host.Handle()));
  }
}

TEST_F(OffsetDialogTest, OkWithThePresetsUntouched) {
  Driver().Click(IDOK);
  EXPECT_EQ(Run(), IDOK);
  EXPECT_EQ(OffsetParameters.EastOffset, 0.0);
  EXPECT_EQ(OffsetParameters.NorthOffset, 0.0);
  EXPECT_EQ(OffsetParameters.UpOffset, 0.0);
  EXPECT_EQ(OffsetParameters.ExtrudeFlag, 1);
}

TEST_F(OffsetDialogTest, CancelEscAndCloseEndWithTwoAndKeepThePresets) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    OffsetParameters = {9.0, 9.0, 9.0, 0};
    Driver().Type(107, "12");
    Driver().SetChecked(106, false);
    if (way == 0) Driver().Click(IDCANCEL);
    if (way == 1) Driver().Key(VK_ESCAPE);
    if (way == 2) Driver().Close();
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(OffsetParameters.EastOffset, 0.0);
    EXPECT_EQ(OffsetParameters.NorthOffset, 0.0);
    EXPECT_EQ(OffsetParameters.UpOffset, 0.0);
    EXPECT_EQ(OffsetParameters.ExtrudeFlag, 1);
    EXPECT_STREQ(OffsetTransferBuffer.EastText, "0");
    EXPECT_EQ(OffsetTransferBuffer.ExtrudeState, 1);
  }
}

TEST_F(OffsetDialogTest, EnterInAnyBoxIsOk) {
  for (int box : {107, 108, 109, 106}) {
    SCOPED_TRACE(box);
    Driver().Type(107, "3");
    Driver().Then([box](HWND d) { SetFocus(GetDlgItem(d, box)); });
    Driver().Key(VK_RETURN);
    EXPECT_EQ(Run(), IDOK);
    EXPECT_EQ(OffsetParameters.EastOffset, 3000.0);
  }
}

TEST_F(OffsetDialogTest, TypingStopsAtTheBoxWidthAndTheLimitIsFifteen) {
  std::string typed;
  LRESULT limit = 0;
  Driver().Type(107, "12345678901234567890");
  Driver().Then([&](HWND d) {
    typed = DialogDriver::Text(d, 107);
    limit = SendDlgItemMessageA(d, 107, EM_GETLIMITTEXT, 0, 0);
  });
  Driver().Click(IDCANCEL);
  EXPECT_EQ(Run(), IDCANCEL);
  EXPECT_EQ(limit, 15);
  EXPECT_GT(typed.size(), 3u);
  EXPECT_LT(typed.size(), 15u) << typed;  // the visible width comes first
  EXPECT_EQ(typed, std::string("12345678901234567890").substr(0, typed.size()));
}

TEST_F(OffsetDialogTest, TabOrderAndPlacement) {
  std::vector<int> order;
  RECT dialog = {}, workArea = {};
  LONG_PTR exStyle = 0, style = 0;
  Driver().Then([&](HWND d) {
    order.push_back(DialogDriver::FocusId(d));
    GetWindowRect(d, &dialog);
    style = GetWindowLongPtrA(d, GWL_STYLE);
    exStyle = GetWindowLongPtrA(d, GWL_EXSTYLE);
  });
  for (int i = 0; i < 6; ++i) {
    Driver().Key(VK_TAB);
    Driver().Then([&](HWND d) { order.push_back(DialogDriver::FocusId(d)); });
  }
  Driver().Click(IDCANCEL);
  EXPECT_EQ(Run(), IDCANCEL);
  EXPECT_EQ(order, (std::vector<int>{107, 108, 109, 106, 1, 2, 107}));
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  EXPECT_NEAR((dialog.left + dialog.right) / 2.0, (workArea.left + workArea.right) / 2.0, 1.0);
  EXPECT_NEAR((dialog.top + dialog.bottom) / 2.0, (workArea.top + workArea.bottom) / 2.0, 1.0);
  EXPECT_FALSE(style & WS_SYSMENU);  // no system menu, no close box
  EXPECT_TRUE(style & WS_CAPTION);
}

TEST_F(OffsetDialogTest, CancelButtonReadsInKatakana) {
  std::string cancel;
  Driver().Then([&](HWND d) { cancel = DialogDriver::Text(d, IDCANCEL); });
  Driver().Click(IDCANCEL);
  Run();
  // In code page 932 the five half-width katakana are one byte each.
  EXPECT_EQ(cancel, "\xB7\xAC\xDD\xBE\xD9");
}

// A host that traps on invalid operation, zero divide and overflow (as the
// compilers of its era set up; 0x1332 reads back as 0x1372): overflowing
// and NaN texts convert and scale without a trap, and the control words
// come back as they were. The flags that the system's dialog code raises
// while it draws are the entry's to discard (its guard covers the whole
// call; tested through the DLL).
TEST_F(OffsetDialogTest, TrappingHostEnvironmentSurvivesTheConversion) {
  model.UnitScale() = 1e300;
  Driver().Type(107, "1e300");
  Driver().Type(108, "+INF");
  Driver().Type(109, "+NAN");
  Driver().Click(IDOK);
  const FpEnvironment host_env{0x1372, 0, 0x1F80 & ~0x0680u};
  FpEnvironment after;
  int code;
  {
    FpEnvironmentScope restore;
    WriteFpEnvironment(host_env);
    code = Run();
    after = ReadFpEnvironment();
  }
  EXPECT_EQ(code, IDOK);
  EXPECT_EQ(after.x87Control, host_env.x87Control);
  EXPECT_EQ(after.mxcsr & ~0x3Fu, host_env.mxcsr);
  EXPECT_TRUE(std::isinf(OffsetParameters.EastOffset));
  EXPECT_TRUE(std::isinf(OffsetParameters.NorthOffset));
  EXPECT_TRUE(std::isnan(OffsetParameters.UpOffset));
}

TEST_F(OffsetDialogTest, NoTemplateInTheModuleRaisesAndKeepsTheResets) {
  delete PluginModule;
  PluginModule = new TModule("winmod.exe", GetModuleHandleA("kernel32.dll"));
  OffsetParameters = {5.0, 5.0, 5.0, 0};
  EXPECT_EQ(Run(), -2);
  EXPECT_EQ(OffsetParameters.EastOffset, 0.0);
  EXPECT_EQ(OffsetParameters.ExtrudeFlag, 1);
  EXPECT_EQ(Driver().DialogsSeen(), 0);
}

}  // namespace
