# Shared settings of every target: warnings, sanitizers, include root.

add_library(q3d_options INTERFACE)
target_include_directories(q3d_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(q3d_options INTERFACE -Wall -Wextra)
if(Q3D_WERROR)
  target_compile_options(q3d_options INTERFACE -Werror)
endif()
if(Q3D_SANITIZE)
  target_compile_options(q3d_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                               -fno-sanitize-recover=undefined)
  target_link_options(q3d_options INTERFACE -fsanitize=address,undefined)
endif()

if(Q3D_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "Q3D_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  target_compile_options(q3d_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                                               -fno-sanitize-recover=undefined)
  target_link_options(q3d_options INTERFACE -fsanitize=address,undefined)
endif()

# q3d_layer_library(<name> <folder> [DEPS ...]): one static library from every .cpp of a folder
# (an interface library while the folder holds headers only).
function(q3d_layer_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC q3d_options ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE q3d_options ${ARG_DEPS})
  endif()
endfunction()

# q3d_test_executable(<name> [SERIAL] LABEL <label> FOLDERS <folders under tests/...> DEPS <libs...>
#                     [ENVIRONMENT <NAME=value...>])
# SERIAL: the tests run alone, for tests that measure real time (sound written as it plays).
# ENVIRONMENT: more variables the tests run with.
function(q3d_test_executable name)
  cmake_parse_arguments(ARG "SERIAL" "LABEL" "FOLDERS;DEPS;ENVIRONMENT" ${ARGN})
  set(sources)
  foreach(folder ${ARG_FOLDERS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  # Sound devices outside the sound tests play to OpenAL Soft's null output: no sound card is
  # looked for, and nothing is heard.
  set(environment "ALSOFT_DRIVERS=null")
  if(ARG_LABEL STREQUAL "sound")
    set(environment "")
  endif()
  list(APPEND environment ${ARG_ENVIRONMENT})
  gtest_discover_tests(${name} PROPERTIES LABELS ${ARG_LABEL} RUN_SERIAL ${serial} DISCOVERY_TIMEOUT 60)
  # The environment is set once the tests are discovered: the discovery would split a list given to it
  # into separate properties.
  set(environment_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${environment_file} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES "
                                 "ENVIRONMENT [==[${environment}]==])\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${environment_file})
endfunction()
