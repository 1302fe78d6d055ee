# SPDX-License-Identifier: GPL-3.0-or-later
# The speech object speaks through espeak-ng, whose library (with the sound
# libraries it needs) is loaded when the first text is spoken.
pkg_check_modules(ESPEAKNG REQUIRED espeak-ng)
pkg_get_variable(ESPEAKNG_LIBDIR espeak-ng libdir)
target_include_directories(${target} PRIVATE ${ESPEAKNG_INCLUDE_DIRS})
target_compile_definitions(${target} PRIVATE VAULTORA_ESPEAK_LIBRARY="${ESPEAKNG_LIBDIR}/libespeak-ng.so.1")
target_link_libraries(${target} PUBLIC ${CMAKE_DL_LIBS})
