// Reads past a heap block on purpose. The native build runs this under its sanitizers (and,
// where the machine runs no 32-bit code, under the i386 emulator); the test passes only when
// AddressSanitizer stops it with its report, so a sanitizer that silently does not work there
// fails the suite instead of letting every other native test pass unchecked.
#include <cstdio>
#include <vector>

int main(int argc, char**) {
    std::vector<int> v(3);
    std::printf("ok %d\n", v[argc + 5]);
    return 0;
}
