#include "host/host_model.h"

#include <cstdio>
#include <cstring>

HostModel* HostModel::current_ = nullptr;

HostModel::HostModel() {
  // The host's own slots hold something that is not ours to read.
  std::memset(&record_, 0xA5, sizeof record_);
  record_.VertexCount = &vertexCount_;
  record_.SelectedCount = &selectedCount_;
  record_.VertexArray = &vertexArray_;
  record_.UnitScale = &unitScale_;
  record_.ExtrudeHook = &HostModel::Extrude;
  record_.PlainMoveHook = &HostModel::PlainMove;
  record_.FirstAfterMoveHook = &HostModel::FirstAfterMove;
  record_.SecondAfterMoveHook = &HostModel::SecondAfterMove;
  current_ = this;
}

HostModel::~HostModel() {
  if (current_ == this) current_ = nullptr;
}

HostVertex HostModel::Vertex(std::int32_t x, std::int32_t y, std::int32_t z, std::int8_t status) {
  HostVertex v;
  std::memset(&v, 0x5A, sizeof v);
  v.Status = status;
  v.X = x;
  v.Y = y;
  v.Z = z;
  return v;
}

void HostModel::SetVertices(const std::vector<HostVertex>& vertices) {
  arrays_.push_back(vertices);
  vertexArray_ = arrays_.back().data();
  vertexCount_ = static_cast<std::uint32_t>(vertices.size());
  selectedCount_ = 0;
  for (const HostVertex& v : vertices) selectedCount_ += v.Status == 1;
}

std::vector<HostVertex> HostModel::Vertices() const {
  return std::vector<HostVertex>(vertexArray_, vertexArray_ + vertexCount_);
}

void HostModel::LoadCube() {
  std::vector<HostVertex> cube;
  for (int i = 0; i < 8; ++i)
    cube.push_back(Vertex((i & 1) * 1000, (i >> 1 & 1) * 1000, (i >> 2 & 1) * 1000, (i >> 2 & 1) ? 1 : 0));
  SetVertices(cube);
}

void HostModel::ExtrudeSelection() {
  std::vector<HostVertex> next = Vertices();
  for (std::uint32_t i = 0; i < vertexCount_; ++i) {
    if (vertexArray_[i].Status != 1) continue;
    next[i].Status = 0;
    next.push_back(vertexArray_[i]);
  }
  arrays_.push_back(next);
  vertexArray_ = arrays_.back().data();
  vertexCount_ = static_cast<std::uint32_t>(next.size());
}

void HostModel::Hook(const std::string& entry, bool opening, bool extrude) {
  log_.push_back(entry);
  if (OnAnyHook) OnAnyHook(*this, entry.c_str());
  if (!opening) return;
  if (OnOpeningHook)
    OnOpeningHook(*this);
  else if (extrude)
    ExtrudeSelection();
}

void HOST_CDECL HostModel::Extrude(std::int32_t flag) {
  current_->Hook("Extrude(" + std::to_string(flag) + ")", true, true);
}
void HOST_CDECL HostModel::PlainMove(std::int32_t flag) {
  current_->Hook("PlainMove(" + std::to_string(flag) + ")", true, false);
}
void HOST_CDECL HostModel::FirstAfterMove() { current_->Hook("FirstAfterMove", false, false); }
void HOST_CDECL HostModel::SecondAfterMove() { current_->Hook("SecondAfterMove", false, false); }

std::string HostModel::Table() const {
  std::string out = "  #  status           X           Y           Z\n";
  char line[96];
  for (std::uint32_t i = 0; i < vertexCount_; ++i) {
    const HostVertex& v = vertexArray_[i];
    std::snprintf(line, sizeof line, "%3u  %6d %11d %11d %11d\n", i, v.Status, v.X, v.Y, v.Z);
    out += line;
  }
  return out;
}
