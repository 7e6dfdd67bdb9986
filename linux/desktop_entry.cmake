# Writes the desktop entry for the prefix being installed to. Its Exec and
# TryExec name the program by its full path, so the entry is written when the
# install runs, with that install's CMAKE_INSTALL_PREFIX (cmake --install
# --prefix and CPack included), not when the build is configured. The
# install rule sets, before it includes this file:
#   desktop_entry_in   the template (linux/varominea.desktop.in)
#   desktop_entry_out  the entry to write, which the next rule installs
#   program_dir        where the program goes, absolute or under the prefix
if(IS_ABSOLUTE "${program_dir}")
  set(program "${program_dir}/varominea")
else()
  set(program "${CMAKE_INSTALL_PREFIX}/${program_dir}/varominea")
endif()
if(program MATCHES "[\n\r]")
  message(FATAL_ERROR "a desktop entry cannot name a program path with a line break: ${program}")
endif()

# Exec is a command line: a path with a space or another reserved character
# is quoted as a whole, with ", `, $ and \ escaped inside the quotes, and % is
# doubled as it starts a field code. Then both keys are strings, whose own
# escaping doubles each backslash.
set(exec "${program}")
string(REPLACE "%" "%%" exec "${exec}")
if(exec MATCHES "[^A-Za-z0-9/._+,:@=%-]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" VAROMINEA_EXEC "${exec}")
string(REPLACE "\\" "\\\\" VAROMINEA_TRY_EXEC "${program}")
configure_file("${desktop_entry_in}" "${desktop_entry_out}" @ONLY)
