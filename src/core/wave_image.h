#pragma once
// The buffer a tone's WAVE image lives in. The longest tone is a 2 GB image,
// built in one piece before it sounds, so how the memory is had matters:
// fresh bytes are not cleared first (the synthesiser writes every one of
// them), and a large buffer asks to be backed by huge pages, since faulting
// in half a million small pages one by one takes seconds on its own.
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace orvik {

// Memory for at least `bytes` bytes, uncleared, from the global operator
// new; std::bad_alloc when there is none. Give it back with
// ReleaseImageBytes and the same size.
void* AllocateImageBytes(std::size_t bytes);
void ReleaseImageBytes(void* memory, std::size_t bytes) noexcept;

template <typename T>
struct ImageAllocator {
    using value_type = T;
    ImageAllocator() = default;
    template <typename U>
    ImageAllocator(const ImageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(AllocateImageBytes(n * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t n) noexcept { ReleaseImageBytes(memory, n * sizeof(T)); }

    // A new element without a value is left as it is, not zeroed.
    template <typename U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <typename U>
    bool operator==(const ImageAllocator<U>&) const noexcept {
        return true;
    }
};

// A WAVE image: the 44-byte header, then the frames.
using WaveImage = std::vector<uint8_t, ImageAllocator<uint8_t>>;

}  // namespace orvik
