// Marks a function to be inlined wherever it is called, whatever the compiler
// thinks of its size. The reader's inner loops use it: their state then stays
// in registers from call to call, which is most of the gain of inlining.
#pragma once

#if defined(_MSC_VER)
#define KORVANE_INLINE_ALWAYS __forceinline
#else
#define KORVANE_INLINE_ALWAYS [[gnu::always_inline]] inline
#endif
