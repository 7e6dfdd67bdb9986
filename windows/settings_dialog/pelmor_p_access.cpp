// The settings dialog by keyboard and to screen readers: the keys, the
// focus and its cue, and the accessible elements, all acting through the
// handlers the mouse uses.
#include <ole2.h>
#include <oleacc.h>

#include "windows/platform/accessible_win.h"
#include "windows/settings_dialog/access_win.h"
#include "windows/settings_dialog/accessible_tree.h"
#include "windows/settings_dialog/keyboard.h"
#include "windows/settings_dialog/pelmor_p.h"

namespace varominea {
namespace {

RECT RectOf(const dialog::Box& box) {
  return RECT{box.left, box.top, box.left + box.width, box.top + box.height};
}

}  // namespace

void Pelmor_P::Form_KeyDown(std::int16_t key_code, std::int16_t shift) {
  // With Alt held the keys belong to the system (Alt+F4 closes through it).
  constexpr std::int16_t kShift = 1;
  constexpr std::int16_t kAlt = 4;
  if ((shift & kAlt) != 0 || key_command_run_) return;
  const dialog::Key key = dialog::KeyFromVirtualKey(key_code);
  // Moving with the keyboard shows where the focus is, from then on.
  if (key == dialog::Key::Tab || key == dialog::Key::Left || key == dialog::Key::Up ||
      key == dialog::Key::Right || key == dialog::Key::Down) {
    if (!keyboard_cues_) SetKeyboardCues(true);
  }
  Act(keyboard_.Down(key, (shift & kShift) != 0, ShownFaces().lit));
}

void Pelmor_P::Form_KeyUp(std::int16_t key_code, std::int16_t /*shift*/) {
  if (key_command_run_) return;
  Act(keyboard_.Up(dialog::KeyFromVirtualKey(key_code)));
}

void Pelmor_P::Act(const dialog::KeyAction& action) {
  using Kind = dialog::KeyAction::Kind;
  const auto index = static_cast<std::int16_t>(action.index);
  switch (action.kind) {
    case Kind::None:
      return;
    case Kind::MoveFocus:
      Announce();
      return;
    case Kind::PickSize:
      lbl_Opt_MouseDown(index);
      return;
    case Kind::PickPattern:
      lbl_Opt_PT_MouseDown(index);
      return;
    case Kind::Press:
      lbl_K_MouseDown(index);
      return;
    case Kind::Release:
      // A repeat of the key while the command runs does not run it again.
      key_command_run_ = true;
      lbl_K_MouseUp(index);
      return;
    case Kind::OpenLink:
      lbl_URL_MouseDown();
      return;
  }
}

dialog::Faces Pelmor_P::ShownFaces() const {
  const std::shared_ptr<const platform::Picture>& lit = Img_On_Y.picture();
  const auto lit_index = [&lit](const auto& faces) {
    for (std::size_t i = 0; i < faces.size(); ++i) {
      if (lit && faces[i].picture() == lit) return static_cast<int>(i);
    }
    return -1;
  };
  dialog::Faces faces;
  faces.lit = dialog::Lit{lit_index(Img_SR), lit_index(Img_PT)};
  for (std::size_t i = 0; i < Img_K.size(); ++i)
    faces.pressed[i] = lit && Img_K[i].picture() == lit;
  return faces;
}

std::optional<dialog::Element> Pelmor_P::FocusedNow(const dialog::Faces& faces) const {
  if (!Pic_B.focused()) return std::nullopt;
  return dialog::FocusedElement(keyboard_.focus(), faces.lit);
}

void Pelmor_P::PlaceFocusCue(const dialog::Faces& faces) {
  const dialog::Element at = dialog::FocusedElement(keyboard_.focus(), faces.lit);
  focus_cue_.SetBounds(RectOf(dialog::ScaleToDpi(dialog::FocusCueBox(at), dpi_)));
}

void Pelmor_P::Announce() {
  const dialog::Faces faces = ShownFaces();
  PlaceFocusCue(faces);
  const std::optional<dialog::Element> focus = FocusedNow(faces);
  const HWND box = Pic_B.hwnd();
  for (int id = 1; id < dialog::kElementCount; ++id) {
    const auto element = static_cast<dialog::Element>(id);
    // Focus changes have an event of their own.
    dialog::States before =
        dialog::Describe(element, announced_faces_, announced_focus_, L"").states;
    dialog::States now = dialog::Describe(element, faces, focus, L"").states;
    before.focused = now.focused = false;
    if (before != now) platform::NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE, box, id);
  }
  if (focus && focus != announced_focus_) {
    platform::NotifyAccessibleEvent(EVENT_OBJECT_FOCUS, box, static_cast<int>(*focus));
  }
  announced_faces_ = faces;
  announced_focus_ = focus;
}

void Pelmor_P::SetKeyboardCues(bool shown) {
  // Kept here as well as told to the system: not every system that runs
  // the program keeps the state and answers it.
  keyboard_cues_ = shown;
  focus_cue_.SetShown(shown && Pic_B.focused());
  SendMessageW(hwnd(), WM_CHANGEUISTATE,
               MAKEWPARAM(shown ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

std::optional<platform::AccessibleNode> Pelmor_P::AccessibleNodeOf(int id) {
  const std::optional<dialog::Element> element = dialog::ElementFromId(id);
  if (!element || !Pic_B.hwnd()) return std::nullopt;
  const dialog::Faces faces = ShownFaces();
  POINT origin{0, 0};
  ClientToScreen(Pic_B.hwnd(), &origin);
  platform::AccessibleNode node = dialog::AccessibleNodeFrom(
      dialog::Describe(*element, faces, FocusedNow(faces), lbl_URL.caption()), origin, dpi_);
  if (*element == dialog::Element::Box) {
    node.screen =
        RECT{origin.x, origin.y, origin.x + Pic_B.client_width(), origin.y + Pic_B.client_height()};
  }
  return node;
}

std::optional<int> Pelmor_P::AccessibleFocus() {
  const std::optional<dialog::Element> focus = FocusedNow(ShownFaces());
  if (!focus) return std::nullopt;
  return static_cast<int>(*focus);
}

bool Pelmor_P::AccessibleDefaultAction(int id) {
  const std::optional<dialog::Element> element = dialog::ElementFromId(id);
  if (!element || dialog::Describe(*element, {}, {}, L"").action == dialog::Action::None) {
    return false;
  }
  return PostMessageW(hwnd(), kDefaultActionMessage, static_cast<WPARAM>(id), 0) != FALSE;
}

// What a click on the element does, through the same handlers.
void Pelmor_P::DefaultAction(int id) {
  using dialog::Element;
  const std::optional<Element> element = dialog::ElementFromId(id);
  if (!element || key_command_run_) return;
  if (*element >= Element::Size0 && *element <= Element::Size2) {
    keyboard_.SetFocus(dialog::Stop::SizeGroup);
    lbl_Opt_MouseDown(static_cast<std::int16_t>(id - static_cast<int>(Element::Size0)));
  } else if (*element == Element::PatternA || *element == Element::PatternB) {
    keyboard_.SetFocus(dialog::Stop::PatternGroup);
    lbl_Opt_PT_MouseDown(static_cast<std::int16_t>(id - static_cast<int>(Element::PatternA)));
  } else if (*element == Element::Save || *element == Element::Cancel) {
    const std::int16_t index = *element == Element::Save ? 0 : 1;
    keyboard_.SetFocus(index == 0 ? dialog::Stop::Save : dialog::Stop::Cancel);
    lbl_K_MouseDown(index);
    key_command_run_ = true;
    lbl_K_MouseUp(index);
  } else if (*element == Element::Link) {
    keyboard_.SetFocus(dialog::Stop::Link);
    Announce();
    lbl_URL_MouseDown();
  }
}

}  // namespace varominea
