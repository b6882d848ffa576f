// A module object for an instance handle that already exists: where window
// objects made with it find their resources. It never loads or frees the
// library behind the handle.
#pragma once

#include <windows.h>

#include <string>

class TModule {
 public:
  TModule(const char* name, HINSTANCE instance) : name_(name), instance_(instance) {}
  const char* GetName() const { return name_.c_str(); }
  HINSTANCE GetInstance() const { return instance_; }

 private:
  std::string name_;
  HINSTANCE instance_;
};
