#include <cstdio>
#include <vector>
int main(int argc, char**){ std::vector<int> v(3); std::printf("ok %d\n", v[argc+5]); return 0; }
