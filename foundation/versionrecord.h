#pragma once

#include <QString>
#include <QtGlobal>

namespace foundation {

// The release numbers the program carries, taken from the project version at build time.
struct VersionRecord {
    qint16 major;
    qint16 minor;
    qint16 revision;
};

VersionRecord versionRecord();

// The release as people write it: "1.0.0".
QString versionText();

} // namespace foundation
