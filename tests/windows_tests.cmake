# Windows tests: cross-compiled GoogleTest programs that ctest runs under Wine
# (the toolchain file sets the emulator). Every *_test_win.cpp below tests/ is
# one program and one ctest entry; support/ holds what they share.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB win_support_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
add_library(win_test_support STATIC ${win_support_sources})
target_include_directories(win_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/support
                                                  ${PROJECT_BINARY_DIR}/resources)
target_link_libraries(win_test_support PUBLIC tavrin_win gtest)

file(GLOB_RECURSE win_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test_win.cpp)
foreach(src IN LISTS win_test_sources)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  # The resource object gives the test programs the program's own menu,
  # dialogs, strings, cursor and bitmaps.
  target_link_libraries(${name} PRIVATE win_test_support tavrin_resources gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  # Exit status alone is not trustworthy under Wine: read gtest's verdict.
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]"
    RUN_SERIAL TRUE
    LABELS wine
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endforeach()

# sox, a reader of its own, opens the recording of the sine that the
# recording test leaves behind: the right rate, and the tone as its strongest line.
add_test(NAME sox_reads_the_sine_recording
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/capture/check_wav_with_sox.sh sine_recording.wav 44100 440
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(recording_test_win PROPERTIES FIXTURES_SETUP sine_recording)
set_tests_properties(sox_reads_the_sine_recording PROPERTIES FIXTURES_REQUIRED sine_recording)

add_test(NAME exe_imports_only_windows_dlls
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:tavrin> -DOBJDUMP=${CMAKE_OBJDUMP}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/app/window/check_imports.cmake)

# The sox-made files the file-input test plays, written where it runs.
add_test(NAME make_wav_fixtures
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/files/make_wav_fixtures.sh
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(make_wav_fixtures PROPERTIES FIXTURES_SETUP wav_fixtures)
set_tests_properties(file_input_test_win PROPERTIES FIXTURES_REQUIRED wav_fixtures)
set_tests_properties(band_levels_test_win PROPERTIES FIXTURES_REQUIRED wav_fixtures)

add_test(NAME exe_carries_version_and_manifest
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:tavrin> -DWINDRES=${CMAKE_RC_COMPILER} -DVERSION=${PROJECT_VERSION}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/resources/check_release_resources.cmake)

# The batch pitch track as a user runs it, and (where praat is installed)
# against its autocorrelation tracker on speech and a sung vowel.
add_test(NAME pitch_batch_against_praat
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/batch/check_pitch_batch.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
          $<TARGET_FILE:tavrin>)
set_tests_properties(pitch_batch_against_praat PROPERTIES LABELS wine RUN_SERIAL TRUE)

# The batch overview as a user runs it: a hostile file, a ten-minute take
# with a click (its column in the picture), a folder of takes by wildcard.
add_test(NAME overview_batch
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/batch/check_overview_batch.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
          $<TARGET_FILE:tavrin>)
set_tests_properties(overview_batch PROPERTIES LABELS wine RUN_SERIAL TRUE)

# The program as its own process, driven by answer_probe from outside: taskkill
# under its dialogs during REC, and the window's answers with its sound
# server stopped (the script runs a server of its own).
add_executable(answer_probe ${CMAKE_CURRENT_SOURCE_DIR}/app/window/answer_probe_win.cpp)
target_link_libraries(answer_probe PRIVATE tavrin_win)
add_test(NAME window_answers_with_device_gone
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/window/check_window_answers.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
          $<TARGET_FILE:tavrin> $<TARGET_FILE:answer_probe>)
set_tests_properties(window_answers_with_device_gone PROPERTIES
  LABELS wine RUN_SERIAL TRUE PASS_REGULAR_EXPRESSION "PASSED" FAIL_REGULAR_EXPRESSION "FAIL:")
