// Counts allocations through operator new, to show the game loop makes none.
// Each form pairs malloc with free; the array forms come back to these.
#include <cstdlib>
#include <new>

std::size_t newCalls = 0;

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++newCalls;
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
    if (void* p = operator new(size, std::nothrow)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
