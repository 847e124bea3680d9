# Build conventions shared by every folder.
include(GoogleTest)

set(DUNSELLOW_STAGE_DIR ${CMAKE_BINARY_DIR}/stage)
set(DUNSELLOW_APP_CONTENTS ${DUNSELLOW_STAGE_DIR}/Dunsellow.app/Contents)

set(DUNSELLOW_WARNINGS -Wall -Wextra -Wno-unused-parameter)
add_compile_options(
  "$<$<COMPILE_LANGUAGE:CXX>:${DUNSELLOW_WARNINGS}>"
  "$<$<COMPILE_LANGUAGE:C>:${DUNSELLOW_WARNINGS}>"
  -fno-fast-math)

if(DUNSELLOW_ASAN)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(DUNSELLOW_FUZZ)
  # Every library is instrumented for coverage; fuzz/ links the harnesses
  # with libFuzzer's own main.
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
if(DUNSELLOW_TSAN)
  if(DUNSELLOW_ASAN)
    message(FATAL_ERROR "DUNSELLOW_ASAN and DUNSELLOW_TSAN cannot be combined")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
  # GTK's own dialogs (the file chooser, the print and page set-up dialogs)
  # make synchronous D-Bus calls and run GTask workers: GLib's threads free
  # blocks and a main-loop wake-up descriptor that the calling thread used,
  # ordered by GLib's atomics in code built without the sanitizer and with
  # no symbols to name. Only the test programs that open those dialogs run
  # with GLib, GObject and GIO named as whole libraries (their ENV lists
  # DUNSELLOW_TSAN_GTK_DIALOG_ENV); the rest of the suite keeps the narrow file.
  set(tsan_dialog_supp "${CMAKE_BINARY_DIR}/tsan-gtk-dialogs.supp")
  file(READ "${CMAKE_SOURCE_DIR}/scripts/tsan.supp" tsan_base)
  file(WRITE "${tsan_dialog_supp}" "${tsan_base}\nrace:libglib-2.0.so.0\nrace:libgobject-2.0.so.0\nrace:libgio-2.0.so.0\n")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/scripts/tsan.supp")
  set(DUNSELLOW_TSAN_GTK_DIALOG_ENV
      "TSAN_OPTIONS=suppressions=${tsan_dialog_supp}:print_suppressions=0:halt_on_error=1:second_deadlock_stack=1")
endif()

# wanted = ON when FOLDER is in DUNSELLOW_PARTS (or the list is empty).
function(dunsellow_folder_wanted folder out)
  if(NOT DUNSELLOW_PARTS)
    set(${out} ON PARENT_SCOPE)
    return()
  endif()
  foreach(part IN LISTS DUNSELLOW_PARTS)
    string(FIND "${folder}/" "${part}/" at)
    if(at EQUAL 0)
      set(${out} ON PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} OFF PARENT_SCOPE)
endfunction()

# Adds ROOT/<folder>/**/CMakeLists.txt for every enabled source folder.
function(dunsellow_add_mirrored root)
  file(GLOB_RECURSE lists CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${root}/*/CMakeLists.txt)
  list(SORT lists)
  # Test code compiles in a third of the time at -O1 with line tables only;
  # the code under test keeps its own flags, and benchmarks keep -O2.
  get_directory_property(options COMPILE_OPTIONS)
  if(root STREQUAL "tests")
    set_directory_properties(PROPERTIES COMPILE_OPTIONS
      "${options};$<$<CONFIG:RelWithDebInfo,Release>:-O1>;$<$<CONFIG:RelWithDebInfo,Release>:-g1>")
  endif()
  foreach(list_file IN LISTS lists)
    get_filename_component(dir ${list_file} DIRECTORY)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/${root} ${dir})
    if(rel MATCHES "^support(/|$)")
      continue()
    endif()
    set(enabled OFF)
    foreach(folder IN LISTS DUNSELLOW_ENABLED_FOLDERS)
      string(FIND "${rel}/" "${folder}/" at)
      if(at EQUAL 0)
        set(enabled ON)
      endif()
    endforeach()
    if(enabled)
      add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/${root}/${rel})
    endif()
  endforeach()
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${options}")
endfunction()

# dunsellow_add_gtest(NAME SOURCES a.cpp ... LIBS lib ... [ENV VAR=value ...] [SERIAL])
# One test executable; every test case runs as its own CTest test, in a
# private temporary HOME/XDG tree with the headless backend. SERIAL runs its
# cases alone (for real processes other tests may end by name).
function(dunsellow_add_gtest name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} dunsellow_test_main GTest::gtest GTest::gmock)
  # No test uses a real camera or microphone: the stand-ins are the devices.
  set(env QEL_BACKEND=headless DUNSELLOW_CAPTURE_DEVICES=synthetic DUNSELLOW_BUILD_DIR=${CMAKE_BINARY_DIR}
      DUNSELLOW_STAGE_DIR=${DUNSELLOW_STAGE_DIR} DUNSELLOW_SOURCE_DIR=${CMAKE_SOURCE_DIR} ${T_ENV})
  # One ENVIRONMENT value: the list must survive the discovery script.
  string(REPLACE ";" "\\\\\\\\\\\\\\;" env "${env}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${DUNSELLOW_TEST_TIMEOUT} RUN_SERIAL ${T_SERIAL})
endfunction()

# Plug-in bundles: hidden symbols, only the listed entry points exported, and
# bound to their own copy of the common library.
function(dunsellow_plugin_options target)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    PREFIX "")
  # Static libraries linked in (the enhancement kernels, the common library)
  # keep their symbols to the bundle: two bundles in one process must not
  # bind to each other's copies.
  target_link_options(${target} PRIVATE -Wl,-Bsymbolic-functions -Wl,--exclude-libs,ALL
                      -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/PluginExports.map)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/PluginExports.map)
  # clang links its sanitizer runtimes into programs only: a plug-in of the
  # fuzz build leaves their symbols to the program that loads it.
  if(NOT DUNSELLOW_FUZZ)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

# dunsellow_bundle(<module target> DIR <folder> NAME <name> IDENTIFIER <id>
#                  [DISPLAY_NAME <CFBundleName>] [EXTENSION bundle])
# Stages a plug-in as <folder>/<name>.<ext>/Contents/{Info.plist, MacOS/<name>.so}.
function(dunsellow_bundle target)
  cmake_parse_arguments(B "" "DIR;NAME;IDENTIFIER;DISPLAY_NAME;EXTENSION" "" ${ARGN})
  if(NOT B_EXTENSION)
    set(B_EXTENSION bundle)
  endif()
  set(contents ${B_DIR}/${B_NAME}.${B_EXTENSION}/Contents)
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${contents}/MacOS OUTPUT_NAME ${B_NAME} SUFFIX ".so")
  dunsellow_plugin_options(${target})
  set(BUNDLE_NAME ${B_NAME})
  if(B_DISPLAY_NAME)
    set(BUNDLE_NAME ${B_DISPLAY_NAME})
  endif()
  set(BUNDLE_IDENTIFIER ${B_IDENTIFIER})
  set(BUNDLE_EXECUTABLE ${B_NAME}.so)
  set(BUNDLE_VERSION ${PROJECT_VERSION})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/Info.plist.in ${contents}/Info.plist @ONLY)
endfunction()

# dunsellow_app_bundle(<executable target> DIR <folder> NAME <name> IDENTIFIER <id>)
# Stages a program as <folder>/<name>.app/Contents/{Info.plist, MacOS/<name>}.
function(dunsellow_app_bundle target)
  cmake_parse_arguments(B "" "DIR;NAME;IDENTIFIER" "" ${ARGN})
  set(contents ${B_DIR}/${B_NAME}.app/Contents)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${contents}/MacOS OUTPUT_NAME ${B_NAME}
    BUILD_RPATH ${CMAKE_BINARY_DIR}/lib)
  set(BUNDLE_NAME ${B_NAME})
  set(BUNDLE_IDENTIFIER ${B_IDENTIFIER})
  set(BUNDLE_EXECUTABLE ${B_NAME})
  set(BUNDLE_VERSION ${PROJECT_VERSION})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/Info.plist.in ${contents}/Info.plist @ONLY)
endfunction()

# Stages every file below SOURCE (sub-folders kept) into DEST. Each file is
# copied by its own rule, so an edited layout is staged again on the next
# build even when nothing relinks.
function(dunsellow_stage_tree target source dest)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${source}/*)
  set(outputs "")
  foreach(src IN LISTS files)
    file(RELATIVE_PATH rel ${source} ${src})
    add_custom_command(OUTPUT ${dest}/${rel}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${dest}/${rel}
      DEPENDS ${src} VERBATIM)
    list(APPEND outputs ${dest}/${rel})
  endforeach()
  if(NOT outputs)
    return()
  endif()
  string(MAKE_C_IDENTIFIER "${target}_stage_${dest}" stage_target)
  add_custom_target(${stage_target} ALL DEPENDS ${outputs})
  add_dependencies(${target} ${stage_target})
endfunction()
