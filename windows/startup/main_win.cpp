// Main: the program's entry.
#include <memory>

#include "core/numbers.h"
#include "core/shared_values.h"
#include "windows/platform/app_win.h"
#include "windows/platform/handles_win.h"
#include "windows/preview/pelmor_r.h"
#include "windows/resources/texts.h"
#include "windows/saver/pelmor_s.h"
#include "windows/settings/settings_win.h"
#include "windows/settings_dialog/pelmor_p.h"
#include "windows/startup/command_line.h"
#include "windows/startup/main_win.h"

namespace varominea {
namespace {

// The saver and the dialog run one copy at a time for the user's session.
// Two copies started within a few milliseconds both pass the caption look-up
// before either has a window, so the first to create this mutex wins; it is
// held until the process ends. When the mutex cannot be made at all, the
// caption look-up alone decides.
bool AnotherCopyIsStarting() {
  static platform::OwnedKernelObject single_copy;
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\Varominea.SingleCopy");
  const bool existed = mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
  single_copy.reset(mutex);
  return existed;
}

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
  const std::optional<std::uint32_t> parent_number = PreviewParent(command_line);
  if (!parent_number) platform::EndProgram();  // beyond the 32-bit range
  const HWND parent = reinterpret_cast<HWND>(PreviewHandleValue(*parent_number));
  // A parent that is no window would leave a window nothing ever closes.
  if (parent == nullptr || !IsWindow(parent)) platform::EndProgram();

  static Pelmor_R preview;
  if (!ShowPreviewIn(preview, parent)) platform::EndProgram();
}

}  // namespace

void Main() {
  const wchar_t* const whole_command_line = GetCommandLineW();
  const std::wstring command_line(ArgumentsOf(whole_command_line ? whole_command_line : L""));
  const Mode mode = ModeOf(command_line);
  // A preview never takes the mutex: the settings page keeps one running
  // while it starts the dialog or tries the saver, which must not be refused.
  if (mode != Mode::Preview && AnotherCopyIsStarting()) platform::EndProgram();
  if (AnotherCopyIsOpen()) platform::EndProgram();

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
