#include "windows/settings_dialog/accessible_tree.h"

#include <algorithm>

#include "windows/resources/texts.h"

namespace varominea::dialog {
namespace {

Box Union(const Box& a, const Box& b) {
  const int left = std::min(a.left, b.left);
  const int top = std::min(a.top, b.top);
  const int right = std::max(a.left + a.width, b.left + b.width);
  const int bottom = std::max(a.top + a.height, b.top + b.height);
  return Box{left, top, right - left, bottom - top};
}

int SizeIndex(Element e) {
  return static_cast<int>(e) - static_cast<int>(Element::Size0);
}
int PatternIndex(Element e) {
  return static_cast<int>(e) - static_cast<int>(Element::PatternA);
}
bool IsSizeFace(Element e) {
  return e >= Element::Size0 && e <= Element::Size2;
}
bool IsPatternFace(Element e) {
  return e == Element::PatternA || e == Element::PatternB;
}
Element SizeFace(int index) {
  return static_cast<Element>(static_cast<int>(Element::Size0) + index);
}
Element PatternFace(int index) {
  return static_cast<Element>(static_cast<int>(Element::PatternA) + index);
}

}  // namespace

std::optional<Element> ElementFromId(int id) {
  if (id < 0 || id >= kElementCount) return std::nullopt;
  return static_cast<Element>(id);
}

Element FocusedElement(Stop stop, const Lit& lit) {
  switch (stop) {
    case Stop::SizeGroup:
      return lit.size >= 0 && lit.size < 3 ? SizeFace(lit.size) : Element::SizeGroup;
    case Stop::PatternGroup:
      return lit.pattern >= 0 && lit.pattern < 2 ? PatternFace(lit.pattern) : Element::PatternGroup;
    case Stop::Save:
      return Element::Save;
    case Stop::Cancel:
      return Element::Cancel;
    case Stop::Link:
      break;
  }
  return Element::Link;
}

std::optional<Stop> StopOf(Element element, const Lit& lit) {
  for (const Stop stop :
       {Stop::SizeGroup, Stop::PatternGroup, Stop::Save, Stop::Cancel, Stop::Link}) {
    if (FocusedElement(stop, lit) == element) return stop;
  }
  return std::nullopt;
}

Box FocusCueBox(Element element) {
  const auto inset = [](const Box& b, int by) {
    return Box{b.left + by, b.top + by, b.width - 2 * by, b.height - 2 * by};
  };
  switch (element) {
    case Element::Box:
      return Box{0, 0, 0, 0};
    case Element::SizeGroup:
      return inset(kLblSizeHeading, -1);
    case Element::PatternGroup:
      return inset(kLblPatternHeading, -1);
    case Element::Link:
      return inset(kLblUrl, -1);
    default:
      return inset(Describe(element, Faces{}, std::nullopt, L"").box, 2);
  }
}

Description Describe(Element element, const Faces& faces, std::optional<Element> focused,
                     const std::wstring& address) {
  Description d;
  d.states.focused = focused == element;
  if (element == Element::Box) {
    d.role = Role::Client;
    d.box = Box{0, 0, kPicB.width, kPicB.height};
    d.children = {Element::SizeGroup, Element::PatternGroup, Element::Save, Element::Cancel,
                  Element::Link};
    d.states.focused = false;  // the focus is always on one of its elements
    return d;
  }
  if (element == Element::SizeGroup || element == Element::PatternGroup) {
    const bool sizes = element == Element::SizeGroup;
    d.role = Role::Grouping;
    d.name = sizes ? texts::kSizeHeading : texts::kPatternHeading;
    d.box = sizes ? Union(kLblSizeHeading, kImgSR[2]) : Union(kLblPatternHeading, kImgPT[1]);
    d.children = sizes ? std::vector{Element::Size0, Element::Size1, Element::Size2}
                       : std::vector{Element::PatternA, Element::PatternB};
    // A group takes the focus itself only while none of its faces is lit.
    const int lit = sizes ? faces.lit.size : faces.lit.pattern;
    d.states.focusable = lit < 0 || lit >= static_cast<int>(d.children.size());
    return d;
  }
  if (IsSizeFace(element) || IsPatternFace(element)) {
    const bool sizes = IsSizeFace(element);
    const int index = sizes ? SizeIndex(element) : PatternIndex(element);
    const auto at = static_cast<std::size_t>(index);
    d.role = Role::RadioButton;
    d.name = sizes ? texts::kSizeOptions[at] : texts::kPatternOptions[at];
    d.action = Action::Check;
    d.box = sizes ? kImgSR[at] : kImgPT[at];
    d.parent = sizes ? Element::SizeGroup : Element::PatternGroup;
    d.states.focusable = true;
    d.states.checked = (sizes ? faces.lit.size : faces.lit.pattern) == index;
    return d;
  }
  if (element == Element::Save || element == Element::Cancel) {
    const std::size_t index = element == Element::Save ? 0 : 1;
    d.role = Role::PushButton;
    d.name = texts::kCommands[index];
    d.action = Action::Press;
    d.box = kImgK[index];
    d.states.focusable = true;
    d.states.pressed = faces.pressed[index];
    // Enter saves unless the cancel command has the focus.
    d.states.is_default = index == 0 ? focused != Element::Cancel : focused == Element::Cancel;
    return d;
  }
  d.role = Role::Link;
  d.name = address;
  d.value = address;
  d.action = Action::Jump;
  d.box = kLblUrl;
  d.states.focusable = true;
  d.states.linked = true;
  return d;
}

}  // namespace varominea::dialog
