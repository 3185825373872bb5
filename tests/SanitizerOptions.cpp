// Built into every test program of the sanitizer tree: the sanitizers' settings, so that
// ctest run by hand there behaves as ./build.sh test does.

extern "C" {

// Any finding ends the program with a failure; leaks are findings too.
const char* __asan_default_options() {
  return "abort_on_error=0:detect_leaks=1:strict_string_checks=1";
}

const char* __ubsan_default_options() {
  return "print_stacktrace=1:halt_on_error=1";
}

// Libraries we do not build keep some memory until the process ends, on purpose: font
// caches, the display and sound drivers.
const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libSDL2\n"
         "leak:libX11\n"
         "leak:libdbus\n";
}
}
