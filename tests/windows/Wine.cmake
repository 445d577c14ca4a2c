# Built for Windows, every test program runs under Wine through wine-run, in a Wine prefix of the
# build's own, with the DLLs of Qt and of the compiler's runtime on WINEPATH. Included before the
# test programs are made, which take the emulator from here.
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
cmake_path(GET qt_core_dll PARENT_PATH qt_bin)
set(dll_folders ${qt_bin})
foreach(runtime libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  cmake_path(GET path PARENT_PATH folder)
  cmake_path(NORMAL_PATH folder)
  list(APPEND dll_folders ${folder})
endforeach()
list(JOIN dll_folders ":" dll_path)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine-prefix
    ${dll_path})

# On the offscreen platform Qt for Windows reads its faces from one folder of font files rather
# than from the system: the faces the tests ask for, linked from this machine's fonts.
set(test_fonts ${CMAKE_BINARY_DIR}/test-fonts)
file(MAKE_DIRECTORY ${test_fonts})
foreach(face IPAGothic IPAMincho "DejaVu Sans" "DejaVu Sans:bold" "DejaVu Serif"
             "DejaVu Serif:bold" "DejaVu Sans Mono")
  execute_process(COMMAND fc-match -f "%{file}" ${face} OUTPUT_VARIABLE file
                  COMMAND_ERROR_IS_FATAL ANY)
  cmake_path(GET file FILENAME name)
  file(CREATE_LINK ${file} ${test_fonts}/${name} SYMBOLIC)
endforeach()
# And no test program reaches a sound server: Wine's sound driver reads PULSE_SERVER from the
# host's environment, not from the one a test sets for itself.
set(tamsel_platform_test_environment "QT_QPA_FONTDIR=${test_fonts}"
    "PULSE_SERVER=unix:${CMAKE_BINARY_DIR}/no-sound-server")
