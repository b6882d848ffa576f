// A modeler's side of the plug-in contract: a model of vertices, the
// record laid out for this architecture and the four hooks, each logged.
// Plain C++: the reference host, the end-to-end tests and the portable
// tests all host the plug-in through it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/host_record.h"

class HostModel {
 public:
  HostModel();
  ~HostModel();
  HostModel(const HostModel&) = delete;
  HostModel& operator=(const HostModel&) = delete;

  // The eight corners of a cube of edge 1000, the top four selected.
  void LoadCube();
  void SetVertices(const std::vector<HostVertex>& vertices);
  std::vector<HostVertex> Vertices() const;
  static HostVertex Vertex(std::int32_t x, std::int32_t y, std::int32_t z, std::int8_t status);

  HostRecord* Record() { return &record_; }
  // The hooks are plain functions: they act on the model made last, or
  // on the one made current here.
  void MakeCurrent() { current_ = this; }
  std::uint32_t& VertexCount() { return vertexCount_; }
  std::int32_t& SelectedCount() { return selectedCount_; }
  HostVertex*& VertexArray() { return vertexArray_; }
  double& UnitScale() { return unitScale_; }

  // Every hook call, as "Extrude(1)", "PlainMove(1)", "FirstAfterMove",
  // "SecondAfterMove".
  const std::vector<std::string>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }

  // Runs inside each hook after it is logged; the default opening
  // behaviour is the modeler's (extrude duplicates the selection).
  std::function<void(HostModel&)> OnOpeningHook;
  std::function<void(HostModel&, const char* hook)> OnAnyHook;

  // The modeler's extrude: copies each selected vertex into a newly
  // allocated array, deselects the originals and selects the copies.
  void ExtrudeSelection();
  std::string Table() const;

 private:
  static HostModel* current_;
  static void HOST_CDECL Extrude(std::int32_t flag);
  static void HOST_CDECL PlainMove(std::int32_t flag);
  static void HOST_CDECL FirstAfterMove();
  static void HOST_CDECL SecondAfterMove();
  void Hook(const std::string& entry, bool opening, bool extrude);

  std::vector<std::vector<HostVertex>> arrays_;  // every array the host made, kept alive
  std::uint32_t vertexCount_ = 0;
  std::int32_t selectedCount_ = 0;
  HostVertex* vertexArray_ = nullptr;
  double unitScale_ = 1.0;
  HostRecord record_;
  std::vector<std::string> log_;
};
