// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagecontrol/ComServer.h"

#include <QWidget>
#include <atomic>
#include <cstring>

#include "imagecontrol/Glimmora.h"

namespace glimmora {

namespace {
std::atomic<int> liveInstances{0};
std::atomic<int> classObjectRefs{0};
std::atomic<int> serverLocks{0};
std::atomic<bool> registered{false};

uint32_t addRef(GlimmoraClassObject*) { return uint32_t(++classObjectRefs); }
uint32_t release(GlimmoraClassObject*) {
    const int left = --classObjectRefs;
    return uint32_t(left < 0 ? 0 : left);
}
void* createInstance(GlimmoraClassObject*, void* host, void* parent) {
    if (!host)
        return nullptr;
    return new Glimmora(static_cast<Host*>(host), static_cast<QWidget*>(parent));
}
GlimmoraResult lockServer(GlimmoraClassObject*, int lock) {
    if (lock)
        ++serverLocks;
    else if (serverLocks > 0)
        --serverLocks;
    return S_OK_;
}

const GlimmoraClassObjectVtbl factoryVtbl{addRef, release, createInstance, lockServer};
GlimmoraClassObject factory{&factoryVtbl};
}  // namespace

bool SameGuid(const GlimmoraGuid& a, const GlimmoraGuid& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace ComServer {
void InstanceCreated() { ++liveInstances; }
void InstanceDestroyed() { --liveInstances; }
bool Registered() { return registered; }
}  // namespace ComServer

}  // namespace glimmora

using namespace glimmora;

// Registration has no system registry to write to here: it records that the
// control class is offered, and both calls may be repeated.
extern "C" GlimmoraResult DllRegisterServer(void) {
    registered = true;
    return S_OK_;
}

extern "C" GlimmoraResult DllUnregisterServer(void) {
    registered = false;
    return S_OK_;
}

extern "C" GlimmoraResult DllGetClassObject(const GlimmoraGuid* rclsid, const GlimmoraGuid* riid, void** ppv) {
    if (!ppv)
        return E_POINTER_;
    *ppv = nullptr;
    if (!rclsid || !SameGuid(*rclsid, kClassId))
        return CLASS_E_CLASSNOTAVAILABLE_;
    if (!riid || !(SameGuid(*riid, kIClassFactory) || SameGuid(*riid, kIUnknown)))
        return E_NOINTERFACE_;
    addRef(&factory);
    *ppv = &factory;
    return S_OK_;
}

extern "C" GlimmoraResult DllCanUnloadNow(void) {
    return liveInstances == 0 && classObjectRefs <= 0 && serverLocks == 0 ? S_OK_ : S_FALSE_;
}
