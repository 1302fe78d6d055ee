// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>
#include <cstdint>

#include "imagecontrol/GlimmoraExport.h"

namespace glimmora {

// What the type library says of the control's members and events, for a
// host that lists them (a property browser, an event list).
struct MemberInfo {
    const char* name;
    uint32_t dispatchId;
    bool browsable;
    const char* help;  // "" for none
};

// The properties and the method of the control's interface, in interface order.
GLIMMORA_EXPORT const QList<MemberInfo>& InterfaceMembers();
// The events, by dispatch id 1 to 5.
GLIMMORA_EXPORT const QList<MemberInfo>& EventMembers();

}  // namespace glimmora
