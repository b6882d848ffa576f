// The reference host: a small modeler that loads talvernis.dll the way the
// real host does and calls it on a cube.
//
//   talvernis-host [--dll PATH] [--interactive]
//                  [--east TEXT] [--north TEXT] [--up TEXT] [--extrude on|off]
//                  [--end ok|cancel|enter|esc|close] [--scale S]
//                  [--select top|none|all] [--capture FILE.bmp]
//
// Scripted (the default) answers the plug-in's dialog from the command line
// and prints the vertex table before and after, the hook calls and the
// result. Exit status: 0 the model was moved, 1 it was not, 2 the plug-in
// could not be loaded.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "host/dialog_driver.h"
#include "host/host_model.h"
#include "host/modeler_window.h"

namespace {

constexpr int kRunCommand = 1000;
constexpr int kTableId = 1001;

std::string DefaultDllPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + "talvernis.dll";
}

void Select(HostModel& model, const std::string& which) {
  std::vector<HostVertex> v = model.Vertices();
  for (std::size_t i = 0; i < v.size(); ++i)
    v[i].Status = which == "all" ? 1 : which == "none" ? 0 : (i >= 4 ? 1 : 0);
  model.SetVertices(v);
}

void Script(DialogDriver& driver, std::map<std::string, std::string>& options) {
  const int boxes[] = {107, 108, 109};
  const char* names[] = {"east", "north", "up"};
  for (int i = 0; i < 3; ++i)
    if (options.count(names[i])) driver.Type(boxes[i], options[names[i]]);
  if (options.count("extrude")) driver.SetChecked(106, options["extrude"] != "off");
  if (options.count("capture")) {
    const std::string path = options["capture"];
    driver.Then([path](HWND dialog) {
      std::printf(CaptureWindow(dialog, path) ? "Dialog captured to %s\n" : "Could not capture the dialog to %s\n",
                  path.c_str());
    });
  }
  const std::string end = options.count("end") ? options["end"] : "ok";
  if (end == "cancel") driver.Click(IDCANCEL);
  else if (end == "enter") driver.Key(VK_RETURN);
  else if (end == "esc") driver.Key(VK_ESCAPE);
  else if (end == "close") driver.Close();
  else driver.Click(IDOK);
}

int RunInteractive(ModelerWindow& window, HostModel& model, PluginLibrary& plugin) {
  const HWND table = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_READONLY,
                                     10, 50, 520, 310, window.Handle(), reinterpret_cast<HMENU>(kTableId), nullptr,
                                     nullptr);
  SendMessageA(table, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), 0);
  CreateWindowExA(0, "BUTTON", "Move selection...", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 160, 28,
                  window.Handle(), reinterpret_cast<HMENU>(kRunCommand), nullptr, nullptr);
  auto refresh = [&] {
    std::string text;
    for (char c : model.Table()) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    SetWindowTextA(table, text.c_str());
  };
  refresh();
  window.Intercept = [&](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_COMMAND && LOWORD(wParam) == kRunCommand) {
      model.ClearLog();
      plugin.Call(window.Handle(), model.Record());
      refresh();
    } else if (message == WM_CLOSE) {
      PostQuitMessage(0);
    }
    return false;
  };
  ShowWindow(window.Handle(), SW_SHOW);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> options;
  bool interactive = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--interactive") {
      interactive = true;
    } else if (arg.rfind("--", 0) == 0 && i + 1 < argc) {
      options[arg.substr(2)] = argv[++i];
    } else {
      std::fprintf(stderr, "unknown argument %s\n", argv[i]);
      return 2;
    }
  }

  const std::string dll = options.count("dll") ? options["dll"] : DefaultDllPath();
  PluginLibrary plugin(dll);
  if (!plugin.Loaded()) {
    std::fprintf(stderr, "cannot load _Xmodeler from %s\n", dll.c_str());
    return 2;
  }
  HostModel model;
  model.LoadCube();
  model.UnitScale() = options.count("scale") ? std::atof(options["scale"].c_str()) : 1.0;
  Select(model, options.count("select") ? options["select"] : "top");

  ModelerWindow window;
  if (interactive) return RunInteractive(window, model, plugin);

  ShowWindow(window.Handle(), SW_SHOW);
  Script(window.Driver(), options);
  // With nothing selected the first step meets the message box instead;
  // whatever is still up at the end is answered with OK.
  window.Driver().Then([](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
  std::printf("Before:\n%s", model.Table().c_str());
  const std::int32_t result = plugin.Call(window.Handle(), model.Record());
  std::printf("Result: %d\nHook calls:\n", static_cast<int>(result));
  for (const std::string& entry : model.Log()) std::printf("  %s\n", entry.c_str());
  if (model.Log().empty()) std::printf("  (none)\n");
  std::printf("After:\n%s", model.Table().c_str());
  std::fflush(stdout);
  return result == 1 ? 0 : 1;
}
