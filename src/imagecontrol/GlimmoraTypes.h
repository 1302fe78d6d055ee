// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>
#include <exception>
#include <string>

#include "imagecontrol/GlimmoraExport.h"

// The identities of the Glimmora control and its type library, and the
// error that the control reports to its caller.

extern "C" {
// A class or interface identity, laid out as the component model does.
struct GlimmoraGuid {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
}

namespace glimmora {

// Type library "Lumivane" 5.0, locale 0x409.
inline constexpr GlimmoraGuid kLibraryId{0xFD8E0353, 0x5EAB, 0x467A, {0xA5, 0xA5, 0x4C, 0x4C, 0x86, 0x10, 0xDF, 0xBC}};
inline constexpr int kLibraryMajor = 5;
inline constexpr int kLibraryMinor = 0;
inline constexpr int kLibraryLocale = 0x409;
inline constexpr const char* kLibraryName = "Lumivane";
inline constexpr const char* kProgId = "Lumivane.Glimmora";

// The control class and its interfaces.
inline constexpr GlimmoraGuid kClassId{0x85AB85CB, 0x9CA1, 0x4FE8, {0xA9, 0x0B, 0xC2, 0xF9, 0x38, 0xF0, 0xD2, 0xE0}};
inline constexpr GlimmoraGuid kInterfaceId{0xB96F6B23, 0x3E8D, 0x47AD, {0x9D, 0x05, 0x04, 0x45, 0x92, 0x45, 0xA1, 0x7E}};
inline constexpr GlimmoraGuid kEventInterfaceId{0x697927EF, 0x2680, 0x41AF, {0xA6, 0x9F, 0x53, 0x2B, 0xCC, 0x87, 0x60, 0xBF}};
inline constexpr GlimmoraGuid kSizeModesId{0xB92F8246, 0xE141, 0x4359, {0xBD, 0x0A, 0x11, 0xA2, 0x70, 0xD7, 0x5F, 0x8D}};
inline constexpr GlimmoraGuid kAppearanceModesId{0x6F69BE82, 0xF70F, 0x40C8, {0xB6, 0xD6, 0xEC, 0x8A, 0x15, 0x45, 0xA2, 0x33}};
inline constexpr GlimmoraGuid kBorderModesId{0x1B0BE345, 0xBDF0, 0x4CEB, {0x92, 0x6E, 0xCF, 0x40, 0x7B, 0x5A, 0x78, 0x3A}};

// The library's file name without extension: the first part of the name
// under which each instance keeps its settings.
inline constexpr const char* kLibraryFileName = "Glimmora";

enum SizeModes : int { Auto_Size = 1, Zoom = 2, Zoom_LargerOnly = 3, Stretch = 4 };
enum AppearanceModes : int { Flat = 0, ThreeD = 1 };
enum BorderModes : int { NoBorder = 0, Bordered = 1 };

// A failure of a property assignment, a layout pass or a dialog, with the
// number and text of the underlying error (VB's numbering: 6 Overflow,
// 11 Division by zero, 13 Type mismatch, 380 Invalid property value,
// 482 Printer error, 32755 Cancel was selected).
class GLIMMORA_EXPORT ControlError : public std::exception {
public:
    ControlError(int number, QString description);
    const char* what() const noexcept override;
    int number() const { return number_; }
    const QString& description() const { return description_; }

private:
    int number_;
    QString description_;
    std::string what_;
};

}  // namespace glimmora
