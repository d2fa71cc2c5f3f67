// Replaces malloc and its kin and the global operator new and delete with counting
// versions that pass on to the C library's allocator. Each counted allocation is traced
// back to the first frame that lies in the program, GLU or GLUT (ours) or in the GL
// driver stack (the driver's); the C and C++ runtimes are looked through.
#include "allocation_counter.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {

enum Owner { Runtime, Ours, Driver };

struct Range {
    uintptr_t low, high;
    Owner owner;
};

constexpr int maxRanges = 512;
constexpr int keptCallers = 16;

Range ranges[maxRanges];
int rangeCount = 0;

// Only the thread that asked counts: the renderer's worker threads are not our code.
thread_local bool counting = false;
thread_local bool tracing = false;  // the unwinder must not count itself
std::atomic<long> ours{0};
std::atomic<long> driver{0};
void* ourCaller[keptCallers];

bool nameHas(const char* name, const char* part) {
    return std::strstr(name, part) != nullptr;
}

Owner ownerOf(const char* name) {
    if (!*name) return Ours;  // the executable itself
    if (nameHas(name, "libGLU.") || nameHas(name, "libglut.")) return Ours;
    for (const char* runtime : {"libc.so", "libstdc++", "libgcc_s", "libm.so", "ld-linux", "linux-vdso"})
        if (nameHas(name, runtime)) return Runtime;
    return Driver;  // libGL, the DRI driver, LLVM, the X client libraries and what they pull in
}

int addRanges(dl_phdr_info* info, size_t, void*) {
    Owner owner = ownerOf(info->dlpi_name ? info->dlpi_name : "");
    for (int i = 0; i < info->dlpi_phnum && rangeCount < maxRanges; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD) continue;
        uintptr_t low = info->dlpi_addr + ph.p_vaddr;
        ranges[rangeCount++] = {low, low + ph.p_memsz, owner};
    }
    return 0;
}

Owner ownerOfAddress(void* address) {
    auto a = reinterpret_cast<uintptr_t>(address);
    for (int i = 0; i < rangeCount; ++i)
        if (a >= ranges[i].low && a < ranges[i].high) return ranges[i].owner;
    return Driver;  // code generated at run time by the driver's compiler
}

// Walks out from the allocation's caller to the first frame that is not the runtime's.
void note(void* caller) {
    if (!counting || tracing) return;
    tracing = true;
    void* frames[64];
    int depth = backtrace(frames, 64);
    int first = 0;
    while (first < depth && frames[first] != caller) ++first;
    if (first == depth) frames[first = 0] = caller, depth = 1;
    Owner owner = Runtime;
    void* where = caller;
    for (int i = first; i < depth && owner == Runtime; ++i) owner = ownerOfAddress(where = frames[i]);
    if (owner == Driver) {
        driver.fetch_add(1, std::memory_order_relaxed);
    } else {
        long n = ours.fetch_add(1, std::memory_order_relaxed);
        if (n < keptCallers) ourCaller[n] = where;
    }
    tracing = false;
}

void* newBlock(size_t size, void* caller) {
    note(caller);
    void* block = __libc_malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

void* newAligned(size_t size, std::align_val_t alignment, void* caller) {
    note(caller);
    void* block = __libc_memalign(static_cast<size_t>(alignment), size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

}  // namespace

namespace alloccount {

void begin() {
    rangeCount = 0;
    dl_iterate_phdr(addRanges, nullptr);
    void* prime[4];
    backtrace(prime, 4);  // loads the unwinder now, not inside a counted allocation
    ours.store(0);
    driver.store(0);
    counting = true;
}

Counts end() {
    counting = false;
    return Counts{ours.load(), driver.load()};
}

std::string ourCallers() {
    std::string text;
    for (long i = 0; i < ours.load() && i < keptCallers; ++i) {
        Dl_info info{};
        char line[512];
        if (dladdr(ourCaller[i], &info) && info.dli_fname) {
            auto offset = static_cast<unsigned long>(static_cast<char*>(ourCaller[i]) - static_cast<char*>(info.dli_fbase));
            std::snprintf(line, sizeof line, "  %s in %s +%#lx\n", info.dli_sname ? info.dli_sname : "?",
                          info.dli_fname, offset);
        } else {
            std::snprintf(line, sizeof line, "  %p\n", ourCaller[i]);
        }
        text += line;
    }
    return text;
}

}  // namespace alloccount

extern "C" {

void* malloc(size_t size) {
    note(__builtin_return_address(0));
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    note(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) {
    note(__builtin_return_address(0));
    return __libc_realloc(block, size);
}

void free(void* block) {
    __libc_free(block);
}

void* memalign(size_t alignment, size_t size) {
    note(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    note(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, size_t alignment, size_t size) {
    note(__builtin_return_address(0));
    void* block = __libc_memalign(alignment, size);
    if (!block) return ENOMEM;
    *result = block;
    return 0;
}

}  // extern "C"

void* operator new(size_t size) { return newBlock(size, __builtin_return_address(0)); }
void* operator new[](size_t size) { return newBlock(size, __builtin_return_address(0)); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    note(__builtin_return_address(0));
    return __libc_malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    note(__builtin_return_address(0));
    return __libc_malloc(size ? size : 1);
}
void* operator new(size_t size, std::align_val_t alignment) {
    return newAligned(size, alignment, __builtin_return_address(0));
}
void* operator new[](size_t size, std::align_val_t alignment) {
    return newAligned(size, alignment, __builtin_return_address(0));
}
void operator delete(void* block) noexcept { __libc_free(block); }
void operator delete[](void* block) noexcept { __libc_free(block); }
void operator delete(void* block, size_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t) noexcept { __libc_free(block); }
void operator delete(void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
