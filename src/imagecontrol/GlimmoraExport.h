// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The library is built with hidden symbols; what a host may use is marked.
#if defined(GLIMMORA_BUILDING)
#define GLIMMORA_EXPORT __attribute__((visibility("default")))
#else
#define GLIMMORA_EXPORT
#endif
