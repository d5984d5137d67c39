# Helpers shared by every folder's CMakeLists.txt.

# Warnings for the project's own code; errors only when VM_WERROR asks for
# them (the test script and CI do), so that a user's compiler with warnings
# of its own still builds the plug-ins.
function(vm_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${VM_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter
      $<$<BOOL:${VM_WERROR}>:-Werror>)
  endif()
endfunction()

# vm_exports(TARGET DEF): an executable that offers functions by name to the
# libraries it loads (the host functions the plug-ins look up): on Windows
# exactly those listed in the module-definition file DEF, elsewhere its
# dynamic symbols.
function(vm_exports target def)
  if(WIN32)
    target_link_options(${target} PRIVATE ${def})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${def})
  else()
    set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
  endif()
endfunction()

# vm_component(NAME [DEPS lib...]): an object library of all .cpp files of the
# current folder and of its platform subfolder, so that a shared library can
# take the objects whole (the exports must not be dropped by the linker).
function(vm_component name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/${VM_PLATFORM}/*.cpp)
  if(srcs)
    add_library(${name} OBJECT ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}
      ${PROJECT_SOURCE_DIR}/platform/${VM_PLATFORM})
    vm_warnings(${name})
    if(ARG_DEPS)
      target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}
      ${PROJECT_SOURCE_DIR}/platform/${VM_PLATFORM})
    if(ARG_DEPS)
      target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
  endif()
endfunction()

# vm_test(NAME SOURCES... LIBS ...): one test executable, its cases registered
# with CTest one by one.
function(vm_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  vm_warnings(${name})
  # Tests run in their source folder; VM_TEST_DATA_DIR names the shared test
  # data wherever the program is started from.
  target_compile_definitions(${name} PRIVATE VM_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  target_link_libraries(${name} PRIVATE vm_test_support vm_swfwriter vm_movie_swf vm_io vm_platform
    ZLIB::ZLIB)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()

# vm_fuzzer(NAME SOURCES... LIBS ...): a libFuzzer target, put in the build's
# fuzz/ folder where scripts/fuzz.sh finds it. Seeds live in fuzz/seeds/NAME.
function(vm_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Threads::Threads)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  vm_warnings(${name})
endfunction()

# vm_benchmark(NAME SOURCES... LIBS ...): a Google Benchmark program.
function(vm_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  vm_warnings(${name})
endfunction()

# vm_add_group_folders(): adds every subfolder of the current folder that has
# a CMakeLists.txt; tests/, bench/ and fuzz/ hold one such group per subsystem.
function(vm_add_group_folders)
  file(GLOB subdirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(sub ${subdirs})
    if(IS_DIRECTORY ${sub} AND EXISTS ${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endfunction()
