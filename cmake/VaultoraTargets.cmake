# SPDX-License-Identifier: GPL-3.0-or-later
# vaultora_library(<folder> <deps...>): static library vaultora_<folder> from
# every source below src/<folder>.
function(vaultora_library folder)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp
       ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
  list(FILTER srcs INCLUDE REGEX "\\.(cpp|h)$")
  set(has_cpp FALSE)
  foreach(s ${srcs})
    if(s MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(NOT has_cpp)
    set(stub ${CMAKE_BINARY_DIR}/stub_${folder}.cpp)
    if(NOT EXISTS ${stub})
      file(WRITE ${stub} "// placeholder for a library without sources yet\n")
    endif()
    list(APPEND srcs ${stub})
  endif()
  add_library(vaultora_${folder} STATIC ${srcs})
  target_include_directories(vaultora_${folder} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set(deps)
  foreach(d ${ARGN})
    if(d MATCHES "::")
      list(APPEND deps ${d})
    else()
      list(APPEND deps vaultora_${d})
    endif()
  endforeach()
  target_link_libraries(vaultora_${folder} PUBLIC ${deps})
  target_compile_definitions(vaultora_${folder} PUBLIC
    VAULTORA_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    VAULTORA_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    VAULTORA_VERSION_PATCH=${PROJECT_VERSION_PATCH})
  # A folder that needs more (an extra library, a generated file) says so in
  # its own src/<folder>/extra.cmake or src/<folder>/extra.d/<topic>.cmake,
  # with the target vaultora_<folder>.
  set(target vaultora_${folder})
  vaultora_include_extras(${PROJECT_SOURCE_DIR}/src/${folder})
endfunction()

# Includes <dir>/extra.cmake and every <dir>/extra.d/*.cmake, in name order.
macro(vaultora_include_extras dir)
  include(${dir}/extra.cmake OPTIONAL)
  file(GLOB _extras CONFIGURE_DEPENDS ${dir}/extra.d/*.cmake)
  list(SORT _extras)
  foreach(_extra ${_extras})
    include(${_extra})
  endforeach()
endmacro()

# vaultora_test(<folder> <libs...>): one GoogleTest executable per test folder,
# every test registered with CTest.
function(vaultora_test folder)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${folder} ${srcs})
  set(libs)
  foreach(d ${ARGN})
    if(d MATCHES "::")
      list(APPEND libs ${d})
    else()
      list(APPEND libs vaultora_${d})
    endif()
  endforeach()
  target_link_libraries(test_${folder} PRIVATE testsupport ${libs})
  target_compile_definitions(test_${folder} PRIVATE
    VAULTORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VAULTORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    VAULTORA_APP_DIR="${CMAKE_BINARY_DIR}/app/Vaultora")
  gtest_discover_tests(test_${folder}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  # Test-only needs of a folder (a reference library, a helper program) go
  # into tests/<folder>/extra.cmake, with the target test_<folder>.
  set(target test_${folder})
  vaultora_include_extras(${CMAKE_CURRENT_SOURCE_DIR}/${folder})
endfunction()
