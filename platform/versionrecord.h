#pragma once

#include <QtGlobal>

namespace platform {

// The release numbers the program carries, taken from the project version at build time.
struct VersionRecord {
    qint16 major;
    qint16 minor;
    qint16 revision;
};

VersionRecord versionRecord();

} // namespace platform
