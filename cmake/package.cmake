# What the release package needs from every build: one version number for
# the resources and the package script, and (for package builds) programs
# without time stamps or build-machine paths in them.

# The resource script's VERSIONINFO takes the version as numbers and makes
# its text from them. RC only: the C++ code has VAROMINEA_VERSION_TEXT.
add_compile_definitions(
  $<$<COMPILE_LANGUAGE:RC>:VAROMINEA_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}>
  $<$<COMPILE_LANGUAGE:RC>:VAROMINEA_VERSION_MINOR=${PROJECT_VERSION_MINOR}>
  $<$<COMPILE_LANGUAGE:RC>:VAROMINEA_VERSION_PATCH=${PROJECT_VERSION_PATCH}>)

# The manifest names the same version; the resource script finds the
# configured copy through the include path.
configure_file("${CMAKE_SOURCE_DIR}/windows/resources/varominea.manifest.in"
               "${CMAKE_BINARY_DIR}/generated/varominea.manifest" @ONLY)
add_compile_options($<$<COMPILE_LANGUAGE:RC>:-I${CMAKE_BINARY_DIR}/generated>)

# tools/package.sh names its files and the installer after this version.
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/varominea-version.txt" CONTENT "${PROJECT_VERSION}\n")

option(VAROMINEA_REPRODUCIBLE
       "Build byte-identical programs in any folder at any time (package builds)" OFF)
if(VAROMINEA_REPRODUCIBLE)
  # Debug information and __FILE__ name sources relative to the source
  # folder ("windows/startup/winmain.cpp") and the build folder as "."; the build
  # folder may lie inside the source folder, so its mapping comes last,
  # which makes it win.
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>
                      $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>)
  if(WIN32)
    # The linker would write the link time into the PE header.
    add_link_options(-Wl,--no-insert-timestamp)
  endif()
endif()
