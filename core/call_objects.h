// The plug-in's per-load and per-call state, and the objects a call makes.
#pragma once

#include <windows.h>

#include "core/host_record.h"

class TModule;
class TWindow;

extern HINSTANCE PluginInstance;  // the library's own module: its resources and path
extern TModule* PluginModule;     // made at process attach, kept for the whole load
extern TWindow* ParentWindow;     // stands for the host's window during a call
extern HostRecord* CallRecord;    // the current call's record
extern HWND HostWindow;           // the current call's window

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID reserved);

// Makes ParentWindow stand for HostWindow.
void AcquireParentWindow();
// Destroys ParentWindow with the dialog and control objects it owns.
void ReleaseCallObjects();
