// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <dlfcn.h>

#include <QString>

// A shared library loaded when it is first needed rather than at the start,
// and its functions looked up by name.
namespace platform {

// Null when the library cannot be loaded.
inline void* OpenLateLibrary(const char* path) { return ::dlopen(path, RTLD_NOW | RTLD_LOCAL); }

// One of the program's own modules, the libraries beside the program (found
// through the program's run path, which names its folder).
inline void* OpenProgramModule(const char* fileName) { return OpenLateLibrary(fileName); }

// Why the last load or look-up failed.
inline QString LateLibraryError() {
    const char* why = ::dlerror();
    return why ? QString::fromLocal8Bit(why) : QString();
}

// Sets `fn` to the library's function `name`; false when there is none.
template <class F>
bool Resolve(void* library, const char* name, F& fn) {
    fn = reinterpret_cast<F>(::dlsym(library, name));
    return fn != nullptr;
}

}  // namespace platform
