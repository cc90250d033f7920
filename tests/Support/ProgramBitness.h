// Cases whose fixture is what only a 32-bit program on 64-bit Windows sees: the Wow6432Node
// redirection of its registry view, IsWow64Process, the 32-bit record layouts. The 64-bit
// verification build (for machines that run no 32-bit programs) skips them, saying why.
#ifndef VELMORA_TESTS_PROGRAM_BITNESS_H
#define VELMORA_TESTS_PROGRAM_BITNESS_H

#include <windows.h>

#include <gtest/gtest.h>

constexpr bool kThirtyTwoBitProgram = sizeof(void*) == 4;

// The registry view a program of this build reaches when it names none (the program's settings,
// its Run entries): the 32-bit view for the 32-bit program, the 64-bit view for the 64-bit
// build, which sees no WoW64. The other view is the one such a program never touches.
constexpr REGSAM kProgramRegistryView = kThirtyTwoBitProgram ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
constexpr REGSAM kOtherRegistryView = kThirtyTwoBitProgram ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

#define SKIP_UNLESS_32BIT_PROGRAM()                                                                 \
    do {                                                                                            \
        if (!kThirtyTwoBitProgram)                                                                  \
            GTEST_SKIP() << "holds only for the 32-bit program on 64-bit Windows";                  \
    } while (0)

#endif
