// Default options of the sanitizer runtimes, built into every test program and
// fuzz target of a sanitizer build: ctest in build/asan or build/tsan then
// needs no environment, and the suppression files beside this one apply.
// Options given in the environment still come after these and win.

#ifndef SNOKRYSTAL_SANITIZER_DIR
#error "SNOKRYSTAL_SANITIZER_DIR must name tests/sanitizers"
#endif

#include <cstdlib>

#define SNOKRYSTAL_EXPORT extern "C" __attribute__((visibility("default"), used))

// The build root has no llvm-symbolizer; binutils' addr2line turns the
// addresses of a report into file and line just as well.
#define SNOKRYSTAL_SYMBOLIZER "external_symbolizer_path=/usr/bin/addr2line"

SNOKRYSTAL_EXPORT const char* __asan_default_options() {
  return SNOKRYSTAL_SYMBOLIZER
      ":strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1";
}

SNOKRYSTAL_EXPORT const char* __lsan_default_options() {
  return "suppressions=" SNOKRYSTAL_SANITIZER_DIR "/lsan.supp:print_suppressions=0";
}

SNOKRYSTAL_EXPORT const char* __ubsan_default_options() {
  return SNOKRYSTAL_SYMBOLIZER ":print_stacktrace=1:halt_on_error=1";
}

SNOKRYSTAL_EXPORT const char* __tsan_default_options() {
  // Deadlock detection crashes inside the uninstrumented libLLVM of Mesa's
  // software renderer; the game holds at most one lock at a time anyway.
  return SNOKRYSTAL_SYMBOLIZER ":suppressions=" SNOKRYSTAL_SANITIZER_DIR
                               "/tsan.supp:detect_deadlocks=0:print_suppressions=0";
}

// Mesa's software renderer draws with worker threads of its own, built
// without instrumentation: ThreadSanitizer cannot see their locks and reports
// races inside Mesa. One thread draws the same pictures. Set before the first
// window opens; a value in the environment wins.
[[maybe_unused]] static const bool kMesaSingleThreaded = setenv("LP_NUM_THREADS", "0", 0) == 0;
