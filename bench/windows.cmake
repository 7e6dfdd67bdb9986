# Windows-side benchmarks (MinGW builds). They measure, they do not test: run
# them by hand under Wine (see bench/README.md) for figures.
add_executable(saver_fps_win ${CMAKE_CURRENT_LIST_DIR}/saver_fps_win.cpp)
target_link_libraries(saver_fps_win PRIVATE varominea_win varominea_warnings)
target_link_options(saver_fps_win PRIVATE -static)
set_target_properties(saver_fps_win PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
# Once, briefly, under Wine (the build's test emulator) as a smoke test.
add_test(NAME bench.saver_fps_win COMMAND saver_fps_win --smoke)
set_tests_properties(bench.saver_fps_win PROPERTIES LABELS bench TIMEOUT 300
                     FAIL_REGULAR_EXPRESSION "set-up failed")
