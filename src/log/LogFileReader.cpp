#include "log/LogFileReader.h"

#include <cstdio>
#include <cstring>

namespace mirabel {

std::string ReadLogText(const std::string& fileName) {
    std::string text;
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) return text;
    char buffer[1024 + 1];
    for (;;) {
        const std::size_t read = std::fread(buffer, 1, 1024, file);
        buffer[read] = '\0';
        text.append(buffer, std::strlen(buffer));  // a NUL ends what a read contributes
        if (read < 1024) break;
    }
    std::fclose(file);
    return text;
}

}  // namespace mirabel
