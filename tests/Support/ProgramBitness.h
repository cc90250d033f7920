// Cases whose fixture is what only a 32-bit program on 64-bit Windows sees: the Wow6432Node
// redirection of its registry view, IsWow64Process, the 32-bit record layouts. The 64-bit
// verification build (for machines that run no 32-bit programs) skips them, saying why.
#ifndef VELMORA_TESTS_PROGRAM_BITNESS_H
#define VELMORA_TESTS_PROGRAM_BITNESS_H

#include <gtest/gtest.h>

constexpr bool kThirtyTwoBitProgram = sizeof(void*) == 4;

#define SKIP_UNLESS_32BIT_PROGRAM()                                                                 \
    do {                                                                                            \
        if (!kThirtyTwoBitProgram)                                                                  \
            GTEST_SKIP() << "holds only for the 32-bit program on 64-bit Windows";                  \
    } while (0)

#endif
