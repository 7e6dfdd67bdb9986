#include "windows/settings_dialog/access_win.h"

#include <ole2.h>
#include <oleacc.h>

#include "windows/resources/texts.h"

namespace varominea::dialog {
namespace {

DWORD RoleOf(Role role) {
  switch (role) {
    case Role::Grouping:
      return ROLE_SYSTEM_GROUPING;
    case Role::RadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case Role::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case Role::Link:
      return ROLE_SYSTEM_LINK;
    case Role::Client:
      break;
  }
  return ROLE_SYSTEM_CLIENT;
}

DWORD StateOf(const States& s) {
  DWORD state = 0;
  if (s.focusable) state |= STATE_SYSTEM_FOCUSABLE;
  if (s.focused) state |= STATE_SYSTEM_FOCUSED;
  if (s.checked) state |= STATE_SYSTEM_CHECKED;
  if (s.pressed) state |= STATE_SYSTEM_PRESSED;
  if (s.is_default) state |= STATE_SYSTEM_DEFAULT;
  if (s.linked) state |= STATE_SYSTEM_LINKED;
  return state;
}

const wchar_t* ActionText(Action action) {
  switch (action) {
    case Action::Check:
      return texts::kActionCheck;
    case Action::Press:
      return texts::kActionPress;
    case Action::Jump:
      return texts::kActionJump;
    case Action::None:
      break;
  }
  return L"";
}

}  // namespace

Key KeyFromVirtualKey(int virtual_key) {
  switch (virtual_key) {
    case VK_TAB:
      return Key::Tab;
    case VK_LEFT:
      return Key::Left;
    case VK_UP:
      return Key::Up;
    case VK_RIGHT:
      return Key::Right;
    case VK_DOWN:
      return Key::Down;
    case VK_SPACE:
      return Key::Space;
    case VK_RETURN:
      return Key::Enter;
    case VK_ESCAPE:
      return Key::Escape;
    default:
      return Key::Other;
  }
}

platform::AccessibleNode AccessibleNodeFrom(const Description& d, POINT origin, int dpi) {
  platform::AccessibleNode node;
  node.role = RoleOf(d.role);
  node.state = StateOf(d.states);
  node.name = d.name;
  node.value = d.value;
  node.default_action = ActionText(d.action);
  const Box at = ScaleToDpi(d.box, dpi);
  node.screen = RECT{origin.x + at.left, origin.y + at.top, origin.x + at.left + at.width,
                     origin.y + at.top + at.height};
  node.parent = static_cast<int>(d.parent);
  for (const Element child : d.children) node.children.push_back(static_cast<int>(child));
  return node;
}

}  // namespace varominea::dialog
