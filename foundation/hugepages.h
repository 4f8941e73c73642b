#pragma once

#include <QtGlobal>

namespace foundation {

// Asks for a large buffer to live on huge pages where the system offers them: filling hundreds of
// megabytes page by 4 KB page costs more than receiving them. Only advice: nothing changes if it is
// not taken.
void preferHugePages(const void* start, qsizetype bytes);

} // namespace foundation
