#include "windows/settings_dialog/keyboard.h"

namespace varominea::dialog {
namespace {

constexpr int kStops = 5;
constexpr int kSizeFaces = 3;
constexpr int kPatternFaces = 2;

bool IsCommand(Stop stop) {
  return stop == Stop::Save || stop == Stop::Cancel;
}
int CommandIndex(Stop stop) {
  return stop == Stop::Save ? 0 : 1;
}

}  // namespace

Stop NextStop(Stop from, bool backwards) {
  const int at = static_cast<int>(from);
  return static_cast<Stop>((at + (backwards ? kStops - 1 : 1)) % kStops);
}

int ArrowPick(int lit, int count, bool backwards) {
  if (count <= 0) return 0;
  if (lit < 0 || lit >= count) return 0;
  return (lit + (backwards ? count - 1 : 1)) % count;
}

KeyAction Keyboard::Down(Key key, bool shift, const Lit& lit) {
  using Kind = KeyAction::Kind;
  switch (key) {
    case Key::Tab:
      focus_ = NextStop(focus_, shift);
      return KeyAction{Kind::MoveFocus, 0, focus_};
    case Key::Left:
    case Key::Up:
    case Key::Right:
    case Key::Down: {
      const bool backwards = key == Key::Left || key == Key::Up;
      if (focus_ == Stop::SizeGroup) {
        return KeyAction{Kind::PickSize, ArrowPick(lit.size, kSizeFaces, backwards), focus_};
      }
      if (focus_ == Stop::PatternGroup) {
        return KeyAction{Kind::PickPattern, ArrowPick(lit.pattern, kPatternFaces, backwards),
                         focus_};
      }
      return KeyAction{};
    }
    case Key::Space:
      if (IsCommand(focus_)) {
        if (held_ == Key::Space) return KeyAction{};  // the key repeating
        held_ = Key::Space;
        held_at_ = focus_;
        return KeyAction{Kind::Press, CommandIndex(focus_), focus_};
      }
      if (focus_ == Stop::Link) {
        held_ = Key::Space;
        held_at_ = focus_;
      }
      // On a group Space picks the face that is lit already, as a press on
      // its caption would: nothing changes, so nothing needs doing.
      return KeyAction{};
    case Key::Enter:
      if (focus_ == Stop::Link) {
        held_ = Key::Enter;
        held_at_ = focus_;
        return KeyAction{};
      }
      // A focused command is the one Enter carries out, as with the
      // system's own buttons; elsewhere Enter saves.
      return KeyAction{Kind::Release, focus_ == Stop::Cancel ? 1 : 0, focus_};
    case Key::Escape:
      return KeyAction{Kind::Release, 1, focus_};
    case Key::Other:
      break;
  }
  return KeyAction{};
}

KeyAction Keyboard::Up(Key key) {
  if (key == Key::Other || key != held_) return KeyAction{};
  held_ = Key::Other;
  if (IsCommand(held_at_))
    return KeyAction{KeyAction::Kind::Release, CommandIndex(held_at_), focus_};
  // The link opens only when the focus is still on it.
  if (held_at_ == Stop::Link && focus_ == Stop::Link) {
    return KeyAction{KeyAction::Kind::OpenLink, 0, focus_};
  }
  return KeyAction{};
}

}  // namespace varominea::dialog
