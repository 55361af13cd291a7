// Stands in for an external program: writes the arguments it was started with, one a line and
// its own name first, to the file named by RYK_TEST_ARGUMENTS_FILE. The lines go to a
// temporary file that is then renamed, so a test that waits for the file reads it whole.

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* target = std::getenv("RYK_TEST_ARGUMENTS_FILE");
    if (!target || !*target)
        return 2;
    const std::string temporary = std::string(target) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (!file)
        return 1;
    for (int i = 0; i < argc; ++i)
        std::fprintf(file, "%s\n", argv[i]);
    if (std::fclose(file) != 0)
        return 1;
    return std::rename(temporary.c_str(), target) == 0 ? 0 : 1;
}
