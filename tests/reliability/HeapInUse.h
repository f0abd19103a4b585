#pragma once
// Bytes the program holds on its heap right now, from the sanitizer's allocator when there is
// one (its own heap is not glibc's), else from glibc.

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// From the sanitizer runtime's allocator interface (g++ ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
inline std::size_t heapInUse() { return __sanitizer_get_current_allocated_bytes(); }
#else
#include <malloc.h>
inline std::size_t heapInUse() { return mallinfo2().uordblks; }
#endif
