#include "platform/MemoryAdvice.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace MemoryAdvice {

void preferLargePages(const void* data, qsizetype bytes)
{
#if defined(MADV_HUGEPAGE)
    constexpr qsizetype minimum = 4 * 1024 * 1024;
    if (!data || bytes < minimum)
        return;
    static const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (address + pageSize - 1) & ~(pageSize - 1);
    const std::uintptr_t end = (address + static_cast<std::uintptr_t>(bytes)) & ~(pageSize - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

} // namespace MemoryAdvice
