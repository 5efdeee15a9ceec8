// The DLL's C++ allocations go straight to the process heap. Every menu makes
// and frees a few thousand small strings (entries, texts, command paths); the
// C runtime's malloc adds its own bookkeeping on top of the same heap, which
// more than doubles the cost of each one.
#include <windows.h>

#include <cstddef>
#include <new>

namespace {

void* Allocate(std::size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

void Free(void* block) noexcept {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* block = Allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }
