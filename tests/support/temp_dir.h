// A fresh temporary directory made the current directory for one test, so
// that "param.bin" and "pcm_data.wav" of one test never meet another's.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string previous_;
    std::string path_;
};

std::vector<unsigned char> ReadFileBytes(const char* name);
bool WriteFileBytes(const char* name, const void* data, size_t size);

}  // namespace testsupport
