// An accessible object tree served for a window that draws its own
// controls: a screen reader asks the window (WM_GETOBJECT) and gets
// IAccessible objects for the window's client area and the elements in it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One element of the tree as it is now (ids are the source's; 0 is the
// root, the client area).
struct AccessibleNode {
  DWORD role = 0;   // ROLE_SYSTEM_*
  DWORD state = 0;  // STATE_SYSTEM_* flags
  std::wstring name;
  std::wstring value;
  std::wstring default_action;  // empty: none
  RECT screen{};                // where it lies, in screen pixels
  int parent = 0;               // the root's is itself
  std::vector<int> children;
};

// What the tree shows, asked anew at every question.
class AccessibleSource {
 public:
  virtual std::optional<AccessibleNode> AccessibleNodeOf(int id) = 0;  // nullopt: no such id
  // The element with the keyboard focus; nullopt while the window does not
  // have it.
  virtual std::optional<int> AccessibleFocus() = 0;
  // Does what a click on the element does (later, from the window's own
  // message loop); false when it has no default action.
  virtual bool AccessibleDefaultAction(int id) = 0;

 protected:
  ~AccessibleSource() = default;
};

// Serves a source's tree. The objects it hands out are counted by their
// holders and may outlive it: once the server is gone they answer that the
// element is no longer there.
class AccessibleServer {
 public:
  explicit AccessibleServer(AccessibleSource& source);
  AccessibleServer(const AccessibleServer&) = delete;
  AccessibleServer& operator=(const AccessibleServer&) = delete;
  ~AccessibleServer();

  // The answer to WM_GETOBJECT for the window the tree describes: the root
  // object for OBJID_CLIENT; 0 (the system's own answer) for anything else.
  LRESULT Answer(HWND hwnd, WPARAM wparam, LPARAM lparam);

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

// Tells screen readers that element `id` of the client area of `hwnd` has
// changed (EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, ...). The event
// names the element by its id negated, which every object of the tree
// resolves; positive child numbers are positions among an object's children.
void NotifyAccessibleEvent(DWORD event, HWND hwnd, int id);

}  // namespace platform
