#pragma once

#include <QStringList>
#include <QVariant>

namespace zubo {

// Paths as a setting holds them: each path is text, or its bytes where the
// name is not UTF-8 (settings files would lose those bytes as text).
QVariant storedPaths(const QStringList& paths);
// The paths of a setting written by storedPaths, or of a plain string list.
QStringList pathsFromSetting(const QVariant& setting);

} // namespace zubo
