// The host modeler's record and vertex, laid out exactly as the host lays
// them out. The plug-in reads and writes them in place and never copies,
// owns or frees them.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__i386__)
#define HOST_CDECL __attribute__((cdecl))
#else
#define HOST_CDECL
#endif

extern "C" {
typedef void(HOST_CDECL* ExtrudeHook)(std::int32_t);
typedef void(HOST_CDECL* PlainMoveHook)(std::int32_t);
typedef void(HOST_CDECL* FirstAfterMoveHook)();
typedef void(HOST_CDECL* SecondAfterMoveHook)();
}

struct HostVertex {
  std::uint8_t HostBytes0[4];  // the host's; never touched
  std::int8_t Status;          // 1 = selected
  std::uint8_t HostBytes5[15]; // the host's; never touched
  std::int32_t X;              // east
  std::int32_t Y;              // north
  std::int32_t Z;              // up
};

static_assert(sizeof(HostVertex) == 32, "vertex size");
static_assert(offsetof(HostVertex, Status) == 4, "Status offset");
static_assert(offsetof(HostVertex, X) == 20, "X offset");
static_assert(offsetof(HostVertex, Y) == 24, "Y offset");
static_assert(offsetof(HostVertex, Z) == 28, "Z offset");

// The record is a table of pointer-sized slots. In a 32-bit process the
// member at byte offset k sits in slot k/4; with wider pointers the slots
// widen and the members keep their slot. Unnamed slots are the host's.
struct HostRecord {
  std::uint32_t* VertexCount;             // slot 0
  void* HostSlots1[3];
  std::int32_t* SelectedCount;            // slot 4
  void* HostSlots5[4];
  HostVertex** VertexArray;               // slot 9
  void* HostSlots10[16];
  double* UnitScale;                      // slot 26
  void* HostSlots27[79];
  ::SecondAfterMoveHook SecondAfterMoveHook; // slot 106
  ::FirstAfterMoveHook FirstAfterMoveHook;   // slot 107
  ::PlainMoveHook PlainMoveHook;             // slot 108
  void* HostSlot109;
  ::ExtrudeHook ExtrudeHook;                 // slot 110
};

// Byte offset of a member given by its offset in the 32-bit layout.
constexpr std::size_t HostSlotOffset(std::size_t offset32) {
  return offset32 / 4 * sizeof(void*);
}

static_assert(offsetof(HostRecord, VertexCount) == HostSlotOffset(0), "layout");
static_assert(offsetof(HostRecord, SelectedCount) == HostSlotOffset(16), "layout");
static_assert(offsetof(HostRecord, VertexArray) == HostSlotOffset(36), "layout");
static_assert(offsetof(HostRecord, UnitScale) == HostSlotOffset(104), "layout");
static_assert(offsetof(HostRecord, SecondAfterMoveHook) == HostSlotOffset(424), "layout");
static_assert(offsetof(HostRecord, FirstAfterMoveHook) == HostSlotOffset(428), "layout");
static_assert(offsetof(HostRecord, PlainMoveHook) == HostSlotOffset(432), "layout");
static_assert(offsetof(HostRecord, ExtrudeHook) == HostSlotOffset(440), "layout");
#if defined(__i386__)
static_assert(offsetof(HostRecord, SelectedCount) == 16 && offsetof(HostRecord, VertexArray) == 36 &&
                  offsetof(HostRecord, UnitScale) == 104 &&
                  offsetof(HostRecord, SecondAfterMoveHook) == 424 &&
                  offsetof(HostRecord, FirstAfterMoveHook) == 428 &&
                  offsetof(HostRecord, PlainMoveHook) == 432 && offsetof(HostRecord, ExtrudeHook) == 440,
              "the 32-bit host's offsets");
#endif
