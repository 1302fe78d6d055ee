# SPDX-License-Identifier: GPL-3.0-or-later
# vaultora_module(<name> <libs...>): the module lib<name>.so from src/<name>/,
# beside the program, with only its entry points exported. It is built
# before the program and the tests, which load it through their run path.
function(vaultora_module name)
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${name}/*.cpp)
  add_library(${name} MODULE ${srcs})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX lib CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app/Vaultora)
  add_dependencies(vaultora_platform ${name})
endfunction()

# TCP connections (the mail notice): Qt's network library.
vaultora_module(vaultora_network Qt6::Network)
