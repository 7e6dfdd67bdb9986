// What the settings dialog tells a screen reader: its elements as a tree
// (the two groups with their faces, the two commands, the link), each with
// its role, name, state, value, default action and place. The faces are
// drawn pictures; this description is what gives them a voice.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "windows/settings_dialog/keyboard.h"
#include "windows/settings_dialog/layout.h"

namespace varominea::dialog {

// The elements; the numbers are the ids a screen reader is given (0 is the
// background box that holds them all).
enum class Element {
  Box = 0,
  SizeGroup,
  Size0,
  Size1,
  Size2,
  PatternGroup,
  PatternA,
  PatternB,
  Save,
  Cancel,
  Link,
};
inline constexpr int kElementCount = 11;

enum class Role { Client, Grouping, RadioButton, PushButton, Link };
enum class Action { None, Check, Press, Jump };

struct States {
  bool focusable = false;
  bool focused = false;
  bool checked = false;     // a lit option face
  bool pressed = false;     // a command face shown pressed
  bool is_default = false;  // the command Enter carries out
  bool linked = false;
  friend bool operator==(const States&, const States&) = default;
};

// The faces as they are shown: the lit option of each group and the
// commands held down.
struct Faces {
  Lit lit;
  std::array<bool, 2> pressed{};
};

struct Description {
  Role role = Role::Client;
  std::wstring name;
  std::wstring value;
  Action action = Action::None;
  Box box{};  // in the background box's 96-dpi pixels
  Element parent = Element::Box;
  std::vector<Element> children;
  States states;
};

// The element with that id; nullopt for an id outside the tree.
std::optional<Element> ElementFromId(int id);

// The element that has the focus at `stop`: in a group its lit face, or the
// group itself while none is lit; otherwise the command or the link.
Element FocusedElement(Stop stop, const Lit& lit);

// The stop a focus on `element` means (the box and the faces that are not
// lit give none).
std::optional<Stop> StopOf(Element element, const Lit& lit);

// Where the focus cue of an element is drawn, in the background box's
// 96-dpi pixels: inside a face's frame, clear of its lit strip; around the
// link's caption; around a group's heading while the group itself has the
// focus.
Box FocusCueBox(Element element);

// One element as it is now. `focused` is the element with the keyboard
// focus, or nullopt while the dialog does not have it; `address` is the
// link's caption, the web page address.
Description Describe(Element element, const Faces& faces, std::optional<Element> focused,
                     const std::wstring& address);

}  // namespace varominea::dialog
