// What a screen reader in another process finds in a window: the accessible
// tree of its client area read through the system (AccessibleObjectFromWindow),
// the element with the focus, and the focus and state events it is sent.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// The tree, depth first, one line an element: its depth as indentation,
// role, "name", the states that are set and, where there is one, = value.
// Roles and states are spelt out for the ones the program uses (e.g.
// `  radio button "A" checked focusable`); "(none)" when nothing answers.
std::vector<std::string> AccessibleTree(HWND hwnd);

// The line of the element with the focus ("" when none has it).
std::string AccessibleFocus(HWND hwnd);

// Asks for the default action of the element of that name; false when no
// element has it or the action is refused.
bool AccessibleDefaultAction(HWND hwnd, const std::wstring& name);

// Focus and state-change events of one process while the object lives, as
// "focus LINE" and "state LINE" with the element as it was when the event
// was read (WinEvents reach this thread through its message loop, which
// test::WaitUntil serves).
class AccessibleEvents {
 public:
  explicit AccessibleEvents(DWORD pid);
  AccessibleEvents(const AccessibleEvents&) = delete;
  AccessibleEvents& operator=(const AccessibleEvents&) = delete;
  ~AccessibleEvents();

  bool ok() const { return hook_ != nullptr; }
  const std::vector<std::string>& events() const { return events_; }
  void Clear() { events_.clear(); }
  // Adds one event; the hook's callback calls it.
  void Record(DWORD event, HWND hwnd, LONG object, LONG child);

 private:
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<std::string> events_;
};

}  // namespace test
