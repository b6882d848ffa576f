// Hosts that push the contract to its edges, through the real DLL: a host
// that traps on every floating-point exception, hooks that reshape the
// model, and a thousand calls in one load.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "host/host_model.h"
#include "host/modeler_window.h"
#include "tests/common/fp_environment.h"

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

class HostileHostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin.Loaded()) << TALVERNIS_DLL; }
  void Answer(const char* east, const char* north, const char* up, bool extrude) {
    Driver().Reset();
    Driver().Type(107, east);
    Driver().Type(108, north);
    Driver().Type(109, up);
    Driver().SetChecked(106, extrude);
    Driver().Click(IDOK);
  }
  DialogDriver& Driver() { return host.Driver(); }
  // Calls the plug-in with the host's environment set to `env`; `after`
  // is the environment the host finds on return.
  std::int32_t CallUnder(const FpEnvironment& env, FpEnvironment& after) {
    FpEnvironmentScope restore;
    WriteFpEnvironment(env);
    const std::int32_t result = plugin.Call(host.Handle(), model.Record());
    after = ReadFpEnvironment();
    return result;
  }
  // Calls the plug-in, answered with OK, under the host environment `env`:
  // the call succeeds, its three hooks run in `env`, and the host finds
  // `env` again, bit for bit, when the call returns.
  void ExpectOkCallKeeps(const FpEnvironment& env) {
    std::vector<FpEnvironment> seenByHooks;
    seenByHooks.reserve(4);
    model.OnAnyHook = [&](HostModel&, const char*) { seenByHooks.push_back(ReadFpEnvironment()); };
    FpEnvironment after;
    EXPECT_EQ(CallUnder(env, after), 1);
    ASSERT_EQ(seenByHooks.size(), 3u);
    for (const FpEnvironment& seen : seenByHooks) EXPECT_TRUE(seen == env);  // the host's own
    EXPECT_TRUE(after == env) << std::hex << after.x87Control << " " << after.x87Status << " " << after.mxcsr;
  }

  PluginLibrary plugin{TALVERNIS_DLL};
  HostModel model;
  ModelerWindow host;
};

struct Xyz {
  std::int32_t x, y, z;
  bool operator==(const Xyz& o) const { return x == o.x && y == o.y && z == o.z; }
};

// Every rounding mode, both x87 precisions, every exception unmasked; texts
// that overflow, underflow and give infinities and NaN; coordinates at the
// limits. No trap; results by the rule; the environment bit-identical.
TEST_F(HostileHostTest, TrappingFloatingPointMatrix) {
  const struct {
    const char *east, *north, *up;
    double scale;
    Xyz first, second;  // from (7, 7, 7) and (max, min, 0)
  } cases[] = {
      {"1e308", "-1e308", "+NAN", 1e10, {kMax, kMin, 7}, {kMax, kMin, 0}},
      {"+INF", "-INF", "1e-320", 1.0, {kMax, kMin, 7}, {kMax, kMin, 0}},
      {"1e-5000", "2e9", "-3e9", 1.0, {7, 2000000007, kMin}, {kMax, kMin + 2000000000, kMin}},
      {"-NAN", "0.5", "-0.5", 3.0, {7, 8, 5}, {kMax, kMin + 2, -1}},
  };
  for (Rounding rounding : {Rounding::Nearest, Rounding::Down, Rounding::Up, Rounding::TowardZero}) {
    for (X87Precision precision : {X87Precision::Double, X87Precision::Extended}) {
      for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "rounding " << int(rounding) << " precision " << int(precision)
                                          << " texts " << c.east << " " << c.north << " " << c.up);
        model.SetVertices({HostModel::Vertex(7, 7, 7, 1), HostModel::Vertex(kMax, kMin, 0, 1)});
        model.UnitScale() = c.scale;
        model.ClearLog();
        Answer(c.east, c.north, c.up, false);
        ExpectOkCallKeeps(TrappingEnvironment(rounding, precision));
        const std::vector<HostVertex> v = model.Vertices();
        EXPECT_TRUE((Xyz{v[0].X, v[0].Y, v[0].Z} == c.first)) << v[0].X << " " << v[0].Y << " " << v[0].Z;
        EXPECT_TRUE((Xyz{v[1].X, v[1].Y, v[1].Z} == c.second)) << v[1].X << " " << v[1].Y << " " << v[1].Z;
      }
    }
  }
}

// A host with its compiler's x87 defaults but invalid, zero-divide and
// overflow unmasked (0x1332), at 64-bit and at 53-bit precision, in every
// rounding mode, with a masked flag of its own already raised. Sums within
// one rounding step of an integer follow the host's precision and rounding;
// overflowing, infinite and NaN texts follow the rule; nothing traps and
// the host gets its control and status words back bit for bit.
TEST_F(HostileHostTest, X87HostWithInvalidZeroDivideAndOverflowUnmasked) {
  constexpr std::int32_t k2p24 = 1 << 24;
  const double belowOne = std::nextafter(1.0, 0.0);
  for (X87Precision precision : {X87Precision::Extended, X87Precision::Double}) {
    for (Rounding rounding : {Rounding::Nearest, Rounding::Down, Rounding::Up, Rounding::TowardZero}) {
      const unsigned rc = static_cast<unsigned>(rounding);
      FpEnvironment host;
      // 0x1332 with this precision and rounding; the x87 reads reserved
      // bit 6 back as set, so it is set here too.
      host.x87Control = static_cast<std::uint16_t>(0x1072 | static_cast<unsigned>(precision) << 8 | rc << 10);
      host.x87Status = 0x0020;   // inexact, raised earlier by the host
      host.mxcsr = 0x1920 | rc << 13;  // the same three unmasked, inexact raised
      // Where the exact sum lies just below an integer, the integer is
      // reached only at double precision when rounding to nearest or up.
      const bool doubleSum = !kX87Sum || precision == X87Precision::Double;
      const std::int32_t bump = doubleSum && (rounding == Rounding::Nearest || rounding == Rounding::Up);
      const struct {
        const char *east, *north, *up;
        double scale;
        Xyz from, to;
      } cases[] = {
          // X 1 with the largest double below 1: 1 at extended precision.
          {"1", "+INF", "-NAN", belowOne, {1, 0, 7}, {1 + bump, kMax, 7}},
          // X 2^24 with 0.9999999999: 2^24 at extended precision.
          {"0.9999999999", "1e309", "-1e999", 1.0, {k2p24, 5, 7}, {k2p24 + bump, kMax, kMin}},
          // Text times scale overflows to infinities; zero times it is zero.
          {"1e10", "-1e10", "0", 1e300, {7, 7, 7}, {kMax, kMin, 7}},
      };
      for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "control " << host.x87Control << std::dec << " texts "
                                          << c.east << " " << c.north << " " << c.up);
        model.SetVertices({HostModel::Vertex(c.from.x, c.from.y, c.from.z, 1)});
        model.UnitScale() = c.scale;
        model.ClearLog();
        Answer(c.east, c.north, c.up, false);
        ExpectOkCallKeeps(host);
        const HostVertex v = model.Vertices()[0];
        EXPECT_TRUE((Xyz{v.X, v.Y, v.Z} == c.to)) << v.X << " " << v.Y << " " << v.Z;
      }
    }
  }
}

TEST_F(HostileHostTest, TrappingHostGetsTheMessageBoxUnharmed) {
  model.LoadCube();
  model.SelectedCount() = 0;
  Driver().Then([](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
  const FpEnvironment trapping = TrappingEnvironment(Rounding::Up, X87Precision::Extended);
  FpEnvironment after;
  const std::int32_t result = CallUnder(trapping, after);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(after == trapping);
}

TEST_F(HostileHostTest, HooksThatReshapeTheModel) {
  const struct {
    const char* name;
    std::function<void(HostModel&)> hook;
    std::vector<std::int32_t> expectedX;  // of the array the host left
  } cases[] = {
      {"count to 0", [](HostModel& h) { h.VertexCount() = 0; }, {0, 1}},
      {"tenfold", [](HostModel& h) { h.SetVertices(std::vector<HostVertex>(20, HostModel::Vertex(5, 0, 0, 1))); },
       std::vector<std::int32_t>(20, 8)},
      {"array replaced twice",
       [](HostModel& h) {
         h.SetVertices({HostModel::Vertex(100, 0, 0, 1)});
         h.SetVertices({HostModel::Vertex(200, 0, 0, 1), HostModel::Vertex(300, 0, 0, 0)});
       },
       {203, 300}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    model.SetVertices({HostModel::Vertex(0, 0, 0, 1), HostModel::Vertex(1, 0, 0, 1)});
    model.SelectedCount() = -5;
    model.OnOpeningHook = c.hook;
    Answer("3", "0", "0", true);
    EXPECT_EQ(plugin.Call(host.Handle(), model.Record()), 1);
    for (std::size_t i = 0; i < c.expectedX.size(); ++i) EXPECT_EQ(model.VertexArray()[i].X, c.expectedX[i]) << i;
  }
}

struct Usage {
  SIZE_T committedBytes, workingSet;
  DWORD userObjects, gdiObjects;  // Wine reports 0 for both
};

Usage Measure() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                          sizeof counters);
  return {counters.PagefileUsage, counters.WorkingSetSize, GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
          GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)};
}

// A thousand calls in one load, mixing OK, Cancel and the empty selection:
// the same outcome each time, the window procedure restored after each,
// and no growth between call 100 and call 1000.
TEST_F(HostileHostTest, ThousandCallsInOneLoad) {
  model.SetVertices({HostModel::Vertex(0, 0, 0, 1), HostModel::Vertex(0, 0, 0, 0)});
  model.OnOpeningHook = [](HostModel&) {};
  const LONG_PTR procedure = GetWindowLongPtrA(host.Handle(), GWLP_WNDPROC);
  Usage at100 = {};
  for (int call = 1; call <= 1000; ++call) {
    const int path = call % 3;  // 0 empty selection, 1 cancel, 2 OK
    model.ClearLog();
    model.SelectedCount() = path == 0 ? 0 : 1;
    Driver().Reset();
    if (path == 0) Driver().Then([](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
    if (path == 1) Driver().Click(IDCANCEL);
    if (path == 2) Driver().Click(IDOK);
    const std::int32_t result = plugin.Call(host.Handle(), model.Record());
    ASSERT_EQ(result, path == 2 ? 1 : 0) << call;
    ASSERT_EQ(model.Log().size(), path == 2 ? 3u : 0u) << call;
    ASSERT_EQ(Driver().DialogsSeen(), 1) << call;
    ASSERT_EQ(GetWindowLongPtrA(host.Handle(), GWLP_WNDPROC), procedure) << call;
    ASSERT_EQ(model.Vertices()[0].X, 0);  // OK on the presets: no offset
    if (call == 100) at100 = Measure();
  }
  const Usage at1000 = Measure();
  // Allow for the allocator's and the system's own caches, not for a leak
  // of even a few hundred bytes a call.
  EXPECT_LE(at1000.committedBytes, at100.committedBytes + 128 * 1024);
  EXPECT_LE(at1000.workingSet, at100.workingSet + 256 * 1024);
  EXPECT_LE(at1000.userObjects, at100.userObjects);
  EXPECT_LE(at1000.gdiObjects, at100.gdiObjects);
  std::printf("call 100 -> 1000: committed %zu -> %zu, working set %zu -> %zu, USER %lu -> %lu, GDI %lu -> %lu\n",
              static_cast<size_t>(at100.committedBytes), static_cast<size_t>(at1000.committedBytes),
              static_cast<size_t>(at100.workingSet), static_cast<size_t>(at1000.workingSet), at100.userObjects,
              at1000.userObjects, at100.gdiObjects, at1000.gdiObjects);
}

}  // namespace
