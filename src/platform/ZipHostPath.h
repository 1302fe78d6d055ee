// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace platform {

// The host path of a Windows path given to the ZIP component: the path
// layer's ToHost. Until the path layer is part of the build, a minimal
// mapping stands in (C: = the home folder, Z: = "/").
QString ZipHostPath(const QString& windowsPath);

}  // namespace platform
