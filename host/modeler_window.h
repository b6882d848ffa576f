// The host's main window and the plug-in library as a modeler loads it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/host_record.h"
#include "host/dialog_driver.h"

typedef std::int32_t(HOST_CDECL* XmodelerEntry)(HWND window, std::int32_t unused, HostRecord* record);

class PluginLibrary {
 public:
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;
  bool Loaded() const { return entry_ != nullptr; }
  HMODULE Module() const { return module_; }
  std::int32_t Call(HWND window, HostRecord* record, std::int32_t unused = 0) { return entry_(window, unused, record); }

 private:
  HMODULE module_;
  XmodelerEntry entry_ = nullptr;
};

class ModelerWindow {
 public:
  ModelerWindow();
  ~ModelerWindow();
  HWND Handle() const { return handle_; }
  DialogDriver& Driver() { return driver_; }
  // Runs for every message before the window's own handling; returning
  // true with a result answers the message.
  std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> Intercept;

 private:
  static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
  HWND handle_;
  DialogDriver driver_;
};
