#include "hugepages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace foundation {

void preferHugePages(const void* start, qsizetype bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t HugePage = 2 * 1024 * 1024;
    if (bytes < qsizetype(8 * HugePage))
        return;
    const auto from = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t first = (from + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t last = (from + std::uintptr_t(bytes)) & ~(HugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(start)
    Q_UNUSED(bytes)
#endif
}

} // namespace foundation
