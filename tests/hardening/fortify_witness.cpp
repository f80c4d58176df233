// Built with the project's own compile flags, and nothing else. The program
// itself has no call the compiler can bound-check, so its binary cannot show
// whether FORTIFY_SOURCE is on; this one has such calls, and the hardening
// test looks for their checked twins (__snprintf_chk, __printf_chk) here.
// It is never run.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    char buf[16] = {};
    // The length is the caller's, so only a check at run time can bound it.
    const std::size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : sizeof buf;
    std::snprintf(buf, n, "%d", argc);
    std::printf("%d %s\n", argc, buf);
    return 0;
}
