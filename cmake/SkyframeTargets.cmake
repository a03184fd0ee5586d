# Helpers shared by every folder's CMakeLists.txt.
#   sf_library(name [WINDOWS] SOURCES ... [DEPS ...])
#       A static library. Without WINDOWS it is portable core (no <windows.h>)
#       and builds in both configurations; with WINDOWS only in the Windows one.
#   sf_test(name SOURCES ... [DEPS ...] [WINDOWS | NATIVE] [SERIAL | DESKTOP] [TIMEOUT s])
#       A GoogleTest executable registered with ctest. Windows tests run under
#       Wine through the cross-compiling emulator. SERIAL tests hold the
#       "skyframe_instance" lock (they start Skyframe.exe or touch its registry key)
#       and the "wine_proxy" lock: the program searches the web with its default
#       settings, and while a test points the prefix's proxy at a stand-in, the
#       stand-in must see that test's requests only. They run without the
#       caller's proxy variables, so nothing leaves the machine. DESKTOP tests
#       (windows that take the focus or cover the screen) hold "wine_desktop",
#       which SERIAL tests hold too: a test that reads the screen or the
#       foreground window must not meet another test's window there.
#   sf_fuzz(name SOURCES ... [DEPS ...] CORPUS dir)
#       A libFuzzer target (native build with SKYFRAME_FUZZ); ctest runs it for
#       a few seconds over its seed corpus, which also replays every regression input.

# The locks of a test that starts the program (see sf_test's SERIAL).
set(SF_PROGRAM_LOCKS "skyframe_instance;wine_proxy;wine_desktop")

# Include views: each top folder's code compiles against a folder of links to
# itself and to what it may depend on, so that an include running the other
# way does not compile (scripts/check-structure.py says the same in words):
#   support <- settings, imagelist <- wallpaper <- ui, internet <- shell;
#   the plug-in sees support only; the program sees the plug-in's boundary
#   header folder (plugin/include) and nothing else of it.
set(SF_VIEW_support "")
set(SF_VIEW_settings support)
set(SF_VIEW_imagelist support)
set(SF_VIEW_wallpaper support settings imagelist)
set(SF_VIEW_ui support settings imagelist wallpaper)
set(SF_VIEW_internet support settings imagelist wallpaper plugin/include)
set(SF_VIEW_shell support settings imagelist wallpaper ui internet plugin/include res)
set(SF_VIEW_plugin support)
set(SF_VIEW_tests support settings imagelist wallpaper ui internet shell plugin res)

# The view of the top folder `top` (made at configure time); `out` receives its path.
function(sf_include_view_of top out)
  set(view ${CMAKE_BINARY_DIR}/include-views/${top})
  if(NOT DEFINED SF_VIEW_${top})
    set(${out} ${PROJECT_SOURCE_DIR} PARENT_SCOPE)
    return()
  endif()
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(folder ${top} ${SF_VIEW_${top}})
    if(folder STREQUAL "plugin/include")
      file(MAKE_DIRECTORY ${view}/plugin)
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/plugin/include ${view}/plugin/include SYMBOLIC)
    elseif(EXISTS ${PROJECT_SOURCE_DIR}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
    endif()
  endforeach()
  set(${out} ${view} PARENT_SCOPE)
endfunction()

# The view of the folder whose CMakeLists.txt is being read.
function(sf_include_view out)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX MATCH "^[^/]+" top "${rel}")
  get_property(made GLOBAL PROPERTY SF_VIEW_MADE_${top})
  if(made)
    set(${out} ${made} PARENT_SCOPE)
    return()
  endif()
  sf_include_view_of("${top}" view)
  set_property(GLOBAL PROPERTY SF_VIEW_MADE_${top} ${view})
  set(${out} ${view} PARENT_SCOPE)
endfunction()

function(sf_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
    $<$<COMPILE_LANGUAGE:CXX>:-Wno-missing-field-initializers>)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports std::string and std::copy code at -O3 with these two
    # falsely (known compiler bugs); they stay errors under clang.
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-stringop-overflow)
  endif()
endfunction()

function(sf_library name)
  cmake_parse_arguments(A "WINDOWS" "" "SOURCES;DEPS" ${ARGN})
  if(A_WINDOWS AND NOT SKYFRAME_WINDOWS)
    return()
  endif()
  add_library(${name} STATIC ${A_SOURCES})
  sf_include_view(view)
  target_include_directories(${name} PUBLIC ${view})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
  sf_warnings(${name})
endfunction()

set(SF_FUZZ_SECONDS 4 CACHE STRING "How long each fuzz target runs in the test pass")

# While several people work in one checkout, a half-written folder can list a
# source that does not exist yet; with SKYFRAME_DEV_TOLERANT such a test is
# skipped with a warning instead of stopping everyone's configure. CI never sets it.
option(SKYFRAME_DEV_TOLERANT "Skip tests whose sources are missing" OFF)
function(sf_sources_present out)
  set(${out} TRUE PARENT_SCOPE)
  if(NOT SKYFRAME_DEV_TOLERANT)
    return()
  endif()
  foreach(src ${ARGN})
    if(NOT IS_ABSOLUTE ${src})
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endif()
    if(NOT EXISTS ${src})
      message(WARNING "skipping a target: ${src} does not exist yet")
      set(${out} FALSE PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

function(sf_test name)
  cmake_parse_arguments(A "WINDOWS;NATIVE;SERIAL;DESKTOP" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  sf_sources_present(present ${A_SOURCES})
  if(NOT present)
    return()
  endif()
  if(A_WINDOWS AND NOT SKYFRAME_WINDOWS)
    return()
  endif()
  if(A_NATIVE AND SKYFRAME_WINDOWS)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} gtest gtest_main)
  sf_include_view(view)
  target_include_directories(${name} PRIVATE ${view})
  sf_warnings(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set(props LABELS "${name};${A_LABELS}")
  if(A_TIMEOUT)
    list(APPEND props TIMEOUT ${A_TIMEOUT})
  endif()
  set_tests_properties(${name} PROPERTIES ${props})
  # Lists as property values: set on their own, or the pairs above would split them.
  if(A_SERIAL)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${SF_PROGRAM_LOCKS}"
                         ENVIRONMENT "http_proxy=;https_proxy=;no_proxy=")
  elseif(A_DESKTOP)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_desktop)
  endif()
endfunction()

function(sf_fuzz name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  if(SKYFRAME_WINDOWS OR NOT SKYFRAME_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  sf_include_view(view)
  target_include_directories(${name} PRIVATE ${view})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  sf_warnings(${name})
  set(work ${CMAKE_BINARY_DIR}/fuzz-work/${name})
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
            ${PROJECT_SOURCE_DIR}/scripts/fuzz-smoke $<TARGET_FILE:${name}> ${A_CORPUS} ${work} ${SF_FUZZ_SECONDS})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()
