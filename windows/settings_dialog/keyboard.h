// The settings dialog by keyboard: the five focus stops in Tab order, the
// face an arrow key picks inside a group, and what each key does where the
// focus is. Every action it names is one the mouse can take too, so the
// window carries it out through the same handlers.
#pragma once

namespace varominea::dialog {

// Where the keyboard focus can be, in Tab order.
enum class Stop { SizeGroup, PatternGroup, Save, Cancel, Link };

// The keys the dialog answers; every other key is Other.
enum class Key { Tab, Left, Up, Right, Down, Space, Enter, Escape, Other };

// The lit face of each group: its index, or -1 when none is lit.
struct Lit {
  int size = -1;
  int pattern = -1;
};

// The stop after `from` in Tab order (before it with `backwards`), wrapping.
Stop NextStop(Stop from, bool backwards);

// The face an arrow picks in a group of `count` faces where face `lit` is
// lit: the next one (the one before with `backwards`), wrapping. With none
// lit (or a value outside the group) it is the first face either way.
int ArrowPick(int lit, int count, bool backwards);

struct KeyAction {
  enum class Kind {
    None,
    MoveFocus,    // to `stop`
    PickSize,     // as a press on size caption `index`
    PickPattern,  // as a press on pattern caption `index`
    Press,        // as a press on command caption `index`
    Release,      // as the release of command `index`: saves (0) or cancels (1), and closes
    OpenLink,     // as a press on the link
  };
  Kind kind = Kind::None;
  int index = 0;
  Stop stop = Stop::SizeGroup;
  friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

// The dialog's keyboard: where the focus is, and a command or link key held
// down there. The dialog opens with the focus on the size group.
class Keyboard {
 public:
  Stop focus() const { return focus_; }
  void SetFocus(Stop stop) { focus_ = stop; }

  // A key going down (again while it is held, as the keyboard repeats it).
  // Tab and Shift+Tab move the focus; an arrow in a group picks a face;
  // Space on a command presses it and Enter on a command releases it;
  // Space or Enter on the link waits for the key's release; Enter anywhere
  // else saves and closes, Escape cancels.
  KeyAction Down(Key key, bool shift, const Lit& lit);
  // A key going up: the release of a command pressed with Space (wherever
  // the focus is by then, as a mouse release anywhere carries out the
  // command), or the link opened by the key pressed on it, once.
  KeyAction Up(Key key);

 private:
  Stop focus_ = Stop::SizeGroup;
  Key held_ = Key::Other;  // Space on a command, or Space or Enter on the link
  Stop held_at_ = Stop::SizeGroup;
};

}  // namespace varominea::dialog
