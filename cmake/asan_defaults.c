/* Default sanitizer options compiled into every native executable. The leak checker stops the
   world through ptrace, which user-mode emulation of i386 programs does not provide: it would
   hang every program at exit, so it is off. */
const char* __asan_default_options(void) { return "detect_leaks=0"; }
const char* __ubsan_default_options(void) { return "print_stacktrace=1:halt_on_error=1"; }
