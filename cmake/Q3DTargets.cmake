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

# q3d_layer_library(<name> <folder> [DEPS ...]): one static library from every .cpp of a folder.
function(q3d_layer_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC q3d_options ${ARG_DEPS})
endfunction()

# q3d_test_executable(<name> LABEL <label> FOLDERS <test folders...> DEPS <libs...>)
function(q3d_test_executable name)
  cmake_parse_arguments(ARG "" "LABEL" "FOLDERS;DEPS" ${ARGN})
  set(sources)
  foreach(folder ${ARG_FOLDERS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} PROPERTIES LABELS ${ARG_LABEL} DISCOVERY_TIMEOUT 60)
endfunction()
