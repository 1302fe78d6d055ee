// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

#include "imagecontrol/GlimmoraExport.h"
#include "imagecontrol/GlimmoraTypes.h"

class QWidget;

// The library's server entry points, as C functions that a host finds by
// name (dlopen/dlsym). Results are the component model's: 0 S_OK, 1 S_FALSE,
// 0x80004002 E_NOINTERFACE, 0x80004003 E_POINTER, 0x80040111
// CLASS_E_CLASSNOTAVAILABLE.
extern "C" {

typedef int32_t GlimmoraResult;

// The class object that DllGetClassObject hands out: a table of functions.
// CreateInstance makes a control on the given parent widget for the given
// host (a glimmora::Host*) and returns it (a glimmora::Glimmora*).
struct GlimmoraClassObject;
struct GlimmoraClassObjectVtbl {
    uint32_t (*AddRef)(GlimmoraClassObject* self);
    uint32_t (*Release)(GlimmoraClassObject* self);
    void* (*CreateInstance)(GlimmoraClassObject* self, void* host, void* parentWidget);
    GlimmoraResult (*LockServer)(GlimmoraClassObject* self, int lock);
};
struct GlimmoraClassObject {
    const GlimmoraClassObjectVtbl* vtbl;
};

GLIMMORA_EXPORT GlimmoraResult DllRegisterServer(void);
GLIMMORA_EXPORT GlimmoraResult DllUnregisterServer(void);
GLIMMORA_EXPORT GlimmoraResult DllGetClassObject(const GlimmoraGuid* rclsid, const GlimmoraGuid* riid, void** ppv);
GLIMMORA_EXPORT GlimmoraResult DllCanUnloadNow(void);
}

namespace glimmora {

inline constexpr GlimmoraResult S_OK_ = 0;
inline constexpr GlimmoraResult S_FALSE_ = 1;
inline constexpr GlimmoraResult E_NOINTERFACE_ = int32_t(0x80004002u);
inline constexpr GlimmoraResult E_POINTER_ = int32_t(0x80004003u);
inline constexpr GlimmoraResult CLASS_E_CLASSNOTAVAILABLE_ = int32_t(0x80040111u);

// The interfaces a class object answers to.
inline constexpr GlimmoraGuid kIUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GlimmoraGuid kIClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

GLIMMORA_EXPORT bool SameGuid(const GlimmoraGuid& a, const GlimmoraGuid& b);

// Counts of live controls and class-object references, for DllCanUnloadNow.
namespace ComServer {
void InstanceCreated();
void InstanceDestroyed();
GLIMMORA_EXPORT bool Registered();
}  // namespace ComServer

}  // namespace glimmora
