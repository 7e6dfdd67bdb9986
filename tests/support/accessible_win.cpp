#include "tests/support/accessible_win.h"

#include <ole2.h>
#include <oleacc.h>

#include <utility>

namespace test {
namespace {

// The reading side needs COM on the test's thread, once.
void EnsureCom() {
  static const bool ready = [] {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
  }();
  (void)ready;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// An owned reference, released when it goes.
struct Acc {
  IAccessible* p = nullptr;
  Acc() = default;
  explicit Acc(IAccessible* a) : p(a) {}
  Acc(Acc&& o) noexcept : p(std::exchange(o.p, nullptr)) {}
  Acc& operator=(Acc&& o) noexcept {
    if (this != &o) {
      if (p) p->Release();
      p = std::exchange(o.p, nullptr);
    }
    return *this;
  }
  Acc(const Acc&) = delete;
  ~Acc() {
    if (p) p->Release();
  }
};

Acc FromDispatch(IDispatch* dispatch) {
  IAccessible* acc = nullptr;
  if (dispatch) {
    dispatch->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&acc));
    dispatch->Release();
  }
  return Acc(acc);
}

VARIANT Self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), IAccessible* acc,
                  VARIANT child) {
  BSTR text = nullptr;
  std::wstring out;
  if ((acc->*get)(child, &text) == S_OK && text) out.assign(text, SysStringLen(text));
  SysFreeString(text);
  return out;
}

std::string RoleText(long role) {
  switch (role) {
    case ROLE_SYSTEM_CLIENT:
      return "client";
    case ROLE_SYSTEM_GROUPING:
      return "grouping";
    case ROLE_SYSTEM_RADIOBUTTON:
      return "radio button";
    case ROLE_SYSTEM_PUSHBUTTON:
      return "push button";
    case ROLE_SYSTEM_LINK:
      return "link";
    default:
      return "role " + std::to_string(role);
  }
}

std::string StateText(long state) {
  const std::pair<long, const char*> names[] = {
      {STATE_SYSTEM_CHECKED, "checked"},         {STATE_SYSTEM_PRESSED, "pressed"},
      {STATE_SYSTEM_FOCUSED, "focused"},         {STATE_SYSTEM_DEFAULT, "default"},
      {STATE_SYSTEM_LINKED, "linked"},           {STATE_SYSTEM_FOCUSABLE, "focusable"},
      {STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_INVISIBLE, "invisible"}};
  std::string out;
  for (const auto& [flag, name] : names) {
    if (state & flag) {
      out += std::string(" ") + name;
      state &= ~flag;
    }
  }
  if (state) out += " state " + std::to_string(state);
  return out;
}

// One element: itself (CHILDID_SELF) on an object of its own, or a simple
// child of its parent.
std::string Line(IAccessible* acc, VARIANT child, int depth) {
  VARIANT role;
  VARIANT state;
  VariantInit(&role);
  VariantInit(&state);
  acc->get_accRole(child, &role);
  acc->get_accState(child, &state);
  std::string line(static_cast<std::size_t>(2 * depth), ' ');
  line += RoleText(role.vt == VT_I4 ? role.lVal : -1);
  line += " \"" + Utf8(Text(&IAccessible::get_accName, acc, child)) + "\"";
  line += StateText(state.vt == VT_I4 ? state.lVal : 0);
  const std::wstring value = Text(&IAccessible::get_accValue, acc, child);
  if (!value.empty()) line += " = " + Utf8(value);
  VariantClear(&role);
  VariantClear(&state);
  return line;
}

// Calls `visit(object, child, depth)` for the element and everything below
// it, depth first, the children as get_accChild gives them.
template <class Visit>
void Walk(IAccessible* acc, int depth, Visit&& visit) {
  visit(acc, Self(), depth);
  long count = 0;
  if (FAILED(acc->get_accChildCount(&count))) return;
  for (long i = 1; i <= count; ++i) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = i;
    IDispatch* dispatch = nullptr;
    if (acc->get_accChild(child, &dispatch) == S_OK && dispatch) {
      Acc inner = FromDispatch(dispatch);
      if (inner.p) Walk(inner.p, depth + 1, visit);
    } else {
      visit(acc, child, depth + 1);
    }
  }
}

Acc ClientOf(HWND hwnd) {
  EnsureCom();
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&acc)))) {
    return Acc();
  }
  return Acc(acc);
}

AccessibleEvents* g_recorder = nullptr;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                      DWORD) {
  if (g_recorder) g_recorder->Record(event, hwnd, object, child);
}

}  // namespace

std::vector<std::string> AccessibleTree(HWND hwnd) {
  const Acc root = ClientOf(hwnd);
  if (!root.p) return {"(none)"};
  std::vector<std::string> lines;
  Walk(root.p, 0, [&](IAccessible* acc, VARIANT child, int depth) {
    lines.push_back(Line(acc, child, depth));
  });
  return lines;
}

std::string AccessibleFocus(HWND hwnd) {
  Acc at = ClientOf(hwnd);
  VARIANT focus;
  VariantInit(&focus);
  // Down through the objects to the focused element.
  for (int depth = 0; at.p && depth < 8; ++depth) {
    if (at.p->get_accFocus(&focus) != S_OK) return "";
    if (focus.vt == VT_I4) return Line(at.p, focus, 0);
    if (focus.vt != VT_DISPATCH) break;
    at = FromDispatch(focus.pdispVal);
    VariantInit(&focus);
  }
  VariantClear(&focus);
  return "";
}

bool AccessibleDefaultAction(HWND hwnd, const std::wstring& name) {
  const Acc root = ClientOf(hwnd);
  if (!root.p) return false;
  bool done = false;
  Walk(root.p, 0, [&](IAccessible* acc, VARIANT child, int) {
    if (!done && Text(&IAccessible::get_accName, acc, child) == name) {
      done = acc->accDoDefaultAction(child) == S_OK;
    }
  });
  return done;
}

AccessibleEvents::AccessibleEvents(DWORD pid) {
  EnsureCom();
  g_recorder = this;
  hook_ = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, nullptr, OnEvent, pid, 0,
                          WINEVENT_OUTOFCONTEXT);
}

AccessibleEvents::~AccessibleEvents() {
  if (hook_) UnhookWinEvent(hook_);
  g_recorder = nullptr;
}

void AccessibleEvents::Record(DWORD event, HWND hwnd, LONG object, LONG child) {
  if (event != EVENT_OBJECT_FOCUS && event != EVENT_OBJECT_STATECHANGE) return;
  IAccessible* acc = nullptr;
  VARIANT which;
  VariantInit(&which);
  if (FAILED(AccessibleObjectFromEvent(hwnd, static_cast<DWORD>(object), static_cast<DWORD>(child),
                                       &acc, &which)) ||
      !acc) {
    return;
  }
  const Acc held(acc);
  events_.push_back((event == EVENT_OBJECT_FOCUS ? "focus " : "state ") + Line(acc, which, 0));
  VariantClear(&which);
}

}  // namespace test
