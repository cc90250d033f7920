# Cross-compiling the 64-bit verification build with MinGW-w64: the same sources as the 32-bit
# deliverables, for machines whose kernel runs no 32-bit programs, where only wine64 runs
# natively (see scripts/lib.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32-common.cmake)
