# SPDX-License-Identifier: GPL-3.0-or-later
# The hand-over tests start programs named Morrowick and ask every such
# program of the user to close: they must not run beside each other.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/destinations_locks.cmake [=[
foreach(t IN LISTS test_destinations_TESTS)
  if(t MATCHES "^(HandOffTest|SiblingProcess)\\.")
    set_tests_properties("${t}" PROPERTIES RESOURCE_LOCK morrowick)
  endif()
endforeach()
]=])
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/destinations_locks.cmake)
