# The Windows program and its Windows-side libraries (MinGW-w64 builds only).

# Everything that needs Windows but not the entry point, so that the
# Windows-side tests can link the real window classes.
add_library(varominea_win STATIC
  ${settings_win_sources} ${platform_win_sources} ${saver_win_sources} ${preview_win_sources}
  ${settings_dialog_win_sources} ${startup_win_sources})
target_link_libraries(varominea_win PUBLIC varominea_logic PRIVATE varominea_warnings)
target_compile_definitions(varominea_win PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                _WIN32_WINNT=0x0601 WINVER=0x0601)
target_link_libraries(varominea_win PUBLIC user32 gdi32 shell32 ole32 oleaut32 windowscodecs
                                           uuid msimg32 oleacc dwmapi winmm)

# One static executable with no MinGW DLL beside it; ASLR and DEP on.
add_link_options(-static -static-libgcc -static-libstdc++)
set(VAROMINEA_PE_FLAGS -Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND VAROMINEA_PE_FLAGS -Wl,--high-entropy-va)
endif()

add_executable(Varominea WIN32 windows/startup/winmain.cpp windows/resources/varominea.rc)
set_target_properties(Varominea PROPERTIES OUTPUT_NAME Varominea SUFFIX ".scr"
                                           RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(Varominea PRIVATE varominea_win varominea_warnings)
target_link_options(Varominea PRIVATE ${VAROMINEA_PE_FLAGS} -municode)
target_include_directories(Varominea PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/windows/resources)
set_property(SOURCE windows/resources/varominea.rc APPEND PROPERTY COMPILE_DEFINITIONS
             VAROMINEA_HOME_PAGE_RC="${VAROMINEA_HOME_PAGE}")
# windres reads the resource script as UTF-8 (it says so with a pragma).
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# Windows programs started by CTest run under Wine on a private virtual
# display, with a Wine prefix of this build tree.
set(VAROMINEA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-run.sh
    --prefix ${VAROMINEA_WINEPREFIX})

# Windows-side benchmarks.
include(${CMAKE_SOURCE_DIR}/bench/windows.cmake)
