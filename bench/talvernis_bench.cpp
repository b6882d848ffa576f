// The move against what the memory allows, the text conversion against
// the C library's and the standard library's.
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/host_record.h"
#include "core/move_selection.h"
#include "core/offset_parameters.h"
#include "dialog/text_conversion.h"

namespace {

void HOST_CDECL OpeningHook(std::int32_t) {}
void HOST_CDECL AfterHook() {}

struct Model {
  explicit Model(std::size_t n) : vertices(n) {
    for (std::size_t i = 0; i < n; ++i) {
      std::memset(&vertices[i], 0, sizeof(HostVertex));
      vertices[i].Status = i % 2 ? 1 : 0;
      vertices[i].X = static_cast<std::int32_t>(i);
    }
    count = static_cast<std::uint32_t>(n);
    array = vertices.data();
    std::memset(&record, 0, sizeof record);
    record.VertexCount = &count;
    record.VertexArray = &array;
    record.ExtrudeHook = record.PlainMoveHook = &OpeningHook;
    record.FirstAfterMoveHook = record.SecondAfterMoveHook = &AfterHook;
  }
  std::vector<HostVertex> vertices;
  std::uint32_t count;
  HostVertex* array;
  HostRecord record;
};

void Move(benchmark::State& state, OffsetParametersRecord offsets) {
  Model model(static_cast<std::size_t>(state.range(0)));
  OffsetParameters = offsets;
  for (auto _ : state) {
    MoveSelection(&model.record);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Offsets whose sums with the coordinates are exact, as typed lengths in
// a finer host unit usually are.
void BM_MoveSelection(benchmark::State& state) { Move(state, {1.5, -2.25, 3.75, 0}); }

// Offsets whose sums must be rounded: the general coordinate rule.
void BM_MoveSelectionRounded(benchmark::State& state) { Move(state, {0.1, -2.7, 1.0 / 3.0, 0}); }

// The same bytes read and written with plain integer adds.
void BM_IntegerBaseline(benchmark::State& state) {
  Model model(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    HostVertex* v = model.array;
    for (std::uint32_t i = 0; i < model.count; ++i) {
      if (v[i].Status != 1) continue;
      v[i].X = static_cast<std::int32_t>(static_cast<std::uint32_t>(v[i].X) + 1u);
      v[i].Y = static_cast<std::int32_t>(static_cast<std::uint32_t>(v[i].Y) - 2u);
      v[i].Z = static_cast<std::int32_t>(static_cast<std::uint32_t>(v[i].Z) + 3u);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_MoveSelection)->RangeMultiplier(10)->Range(1000, 10000000);
BENCHMARK(BM_MoveSelectionRounded)->RangeMultiplier(10)->Range(1000, 10000000);
BENCHMARK(BM_IntegerBaseline)->RangeMultiplier(10)->Range(1000, 10000000);

// Fifteen-character texts of the kinds people type, in 16-byte fields.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = {
      "-12345.67890123", "1.5e-7000000000", "  42.0000000000", "+9.87654321e+10", "0.0001234567890",
      "123456789012345", "-0.000000000001", "3.1415926535897", "2.5e1abcdefghij", "-7.25e-3 xyzwvu",
      "1000000.0000001", "6.02214076e+023", "-1.602176634e-9", "0.1000000000000", "99999999.999999",
      "5.0000000000000"};
  return texts;
}

std::vector<std::array<char, 16>> Fields() {
  std::vector<std::array<char, 16>> fields;
  for (const std::string& t : Texts()) {
    std::array<char, 16> f{};
    std::memcpy(f.data(), t.data(), t.size());
    fields.push_back(f);
  }
  return fields;
}

void BM_ConvertOffsetText(benchmark::State& state) {
  const auto fields = Fields();
  for (auto _ : state)
    for (const auto& f : fields) benchmark::DoNotOptimize(ConvertOffsetText(f.data(), f.size()));
  state.SetItemsProcessed(state.iterations() * fields.size());
}

void BM_Strtod(benchmark::State& state) {
  const auto fields = Fields();
  for (auto _ : state)
    for (const auto& f : fields) benchmark::DoNotOptimize(std::strtod(f.data(), nullptr));
  state.SetItemsProcessed(state.iterations() * fields.size());
}

void BM_FromChars(benchmark::State& state) {
  const auto fields = Fields();
  for (auto _ : state)
    for (const auto& f : fields) {
      const char* begin = f.data();
      while (*begin == ' ') ++begin;
      if (*begin == '+') ++begin;
      double value = 0;
      std::from_chars(begin, f.data() + std::strlen(f.data()), value);
      benchmark::DoNotOptimize(value);
    }
  state.SetItemsProcessed(state.iterations() * fields.size());
}

BENCHMARK(BM_ConvertOffsetText);
BENCHMARK(BM_Strtod);
BENCHMARK(BM_FromChars);

}  // namespace

BENCHMARK_MAIN();
