// Records how it was started, so a test can see what a launch passed.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const char* out = std::getenv("ARGDUMP_OUT");
    if (!out)
        return 2;
    std::FILE* file = std::fopen(out, "wb");
    if (!file)
        return 3;
    const char* show = std::getenv("ZUV_SHOW");
    std::fprintf(file, "argc=%d\nshow=%s\n", argc, show ? show : "");
    // What a program of the suite finds in place of its argument.
    if (const char* argument = std::getenv("ZUV_ARGUMENT"))
        std::fprintf(file, "environment=%s\n", argument);
    for (int i = 1; i < argc; ++i) {
        std::fwrite(argv[i], 1, std::strlen(argv[i]), file);
        std::fputc('\n', file);
    }
    std::fclose(file);
    return 0;
}
