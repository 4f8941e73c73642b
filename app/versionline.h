#pragma once

#include "platform/versionrecord.h"

#include <QString>

// "Version: " and the three release numbers in plain decimal, as the About tab shows them.
QString versionLine(const platform::VersionRecord& version);
