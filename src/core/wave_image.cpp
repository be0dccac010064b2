#include "core/wave_image.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace orvik {

namespace {

// The size of a huge page on the machines Orvik runs on; buffers this large
// or larger are aligned to it so that every part of them can be one.
constexpr std::size_t HugePage = std::size_t{2} << 20;

bool IsLarge(std::size_t bytes) { return bytes >= HugePage; }

std::size_t RoundedUp(std::size_t bytes) { return (bytes + HugePage - 1) / HugePage * HugePage; }

}  // namespace

void* AllocateImageBytes(std::size_t bytes) {
    if (!IsLarge(bytes)) return ::operator new(bytes);
    if (bytes > static_cast<std::size_t>(-1) - HugePage) throw std::bad_alloc();
    void* memory = ::operator new (RoundedUp(bytes), std::align_val_t{HugePage});
#if defined(MADV_HUGEPAGE)
    // Only a hint: where huge pages are off, small ones serve as before.
    madvise(memory, RoundedUp(bytes), MADV_HUGEPAGE);
#endif
    return memory;
}

void ReleaseImageBytes(void* memory, std::size_t bytes) noexcept {
    if (!IsLarge(bytes))
        ::operator delete(memory);
    else
        ::operator delete (memory, std::align_val_t{HugePage});
}

}  // namespace orvik
