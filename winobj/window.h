// Window objects: thin C++ objects over one window handle each.
//
// An alias stands for a window that someone else made: while it lives, its
// procedure stands in front of the window's own and passes on every message
// it does not answer; destroying it restores the previous procedure and
// leaves the window alone.
//
// A window object owns the objects made with it as parent: destroying it
// ends each child's window if it still has one, then destroys the child.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

class TModule;

enum class TransferDirection { IntoControls, OutOfControls };

class TWindow {
 public:
  TWindow(HWND aliased, TModule* module);
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND GetHandle() const { return handle_; }
  TModule* GetModule() const;
  TWindow* GetParentObject() const { return parent_; }

  // The window object of ours that stands for `handle`, or null. The
  // window is asked through a registered message, and its answer is
  // trusted only if it names an object this layer made for that handle.
  static TWindow* Lookup(HWND handle);
  static UINT LookupMessage();

 protected:
  // A child object, owned by `parent` from here on; it gets its window later.
  TWindow(TWindow* parent, TModule* module);

  const std::vector<TWindow*>& Children() const { return children_; }
  void SetHandle(HWND handle) { handle_ = handle; }

  // Binding to a window of the parent dialog at its set-up.
  virtual void SetupWindow() {}
  virtual bool CanClose() { return true; }
  // Moves this object's field between `buffer` and the control; returns
  // the number of bytes the field takes (0: takes no part).
  virtual std::size_t Transfer(void* buffer, TransferDirection direction);
  // Ends this object's window if it still has one.
  virtual void EndWindow();

  friend class TDialog;

 private:
  static LRESULT CALLBACK AliasProcedure(HWND, UINT, WPARAM, LPARAM);
  void Register();

  HWND handle_ = nullptr;
  TModule* module_;
  TWindow* parent_ = nullptr;
  std::vector<TWindow*> children_;
  WNDPROC previousProcedure_ = nullptr;  // set for aliases only
  bool unicode_ = false;
};
