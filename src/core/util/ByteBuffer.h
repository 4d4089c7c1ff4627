#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kelvo {

// An allocator that leaves bytes uninitialised when a vector grows: buffers
// that are filled by reads or by a compressor need no zeroing first.
template <typename T> struct DefaultInitAllocator : std::allocator<T> {
    template <typename U> struct rebind { using other = DefaultInitAllocator<U>; };
    DefaultInitAllocator() = default;
    template <typename U> DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using ByteBuffer = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

} // namespace kelvo
