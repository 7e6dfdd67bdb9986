// Main: the program's entry.
#include <memory>

#include "core/numbers.h"
#include "core/shared_values.h"
#include "platform/app_win.h"
#include "preview/pelmor_r.h"
#include "resources/texts.h"
#include "saver/pelmor_s.h"
#include "settings/settings_win.h"
#include "settings_dialog/pelmor_p.h"
#include "startup/command_line.h"
#include "startup/main_win.h"

namespace varominea {
namespace {

// Refuses to run while another copy's saver window or settings dialog is
// open. Both look-ups are always made.
bool AnotherCopyIsOpen() {
  const HWND saver = FindWindowW(nullptr, texts::kSaverCaption);
  const HWND dialog = FindWindowW(nullptr, texts::kDialogCaption);
  return saver != nullptr || dialog != nullptr;
}

// Preview mode: reads the preview area from the command line and shows the
// preview window over it; a parent that cannot be used ends the program.
void RunPreview(const std::wstring& command_line) {
  const std::optional<std::int32_t> parent_number = PreviewParent(command_line);
  if (!parent_number) platform::EndProgram();  // beyond the 32-bit range
  const HWND parent = reinterpret_cast<HWND>(static_cast<LONG_PTR>(*parent_number));
  // A parent that is no window would leave a window nothing ever closes.
  if (parent == nullptr || !IsWindow(parent)) platform::EndProgram();

  static Pelmor_R preview;
  if (!ShowPreviewIn(preview, parent)) platform::EndProgram();  // does not fit 16 bits
}

}  // namespace

void Main() {
  if (AnotherCopyIsOpen()) platform::EndProgram();

  const wchar_t* const whole_command_line = GetCommandLineW();
  const std::wstring command_line(ArgumentsOf(whole_command_line ? whole_command_line : L""));
  const Mode mode = ModeOf(command_line);
  if (mode == Mode::Preview) {
    RunPreview(command_line);
    return;
  }

  LoadSettings();

  if (mode == Mode::Configure) {
    static Pelmor_P dialog;
    dialog.ShowModal();
    platform::EndProgram();
  }
  if (mode == Mode::Other) platform::EndProgram();

  if (HidesCursor(command_line)) ShowCursor(FALSE);
  static Pelmor_S saver(command_line.empty());
  saver.Load();
}

}  // namespace varominea
