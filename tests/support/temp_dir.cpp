#include "support/temp_dir.h"

#include <windows.h>

#include <cstdio>

#include "base/unique_handle_win.h"

namespace testsupport {

namespace {

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(FindFirstFileA((dir + "\\*").c_str(), &found));
    if (search) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = dir + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search.get(), &found));
        search.Close();
    }
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

ScopedTempDir::ScopedTempDir() {
    char buf[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buf);
    previous_ = buf;
    GetTempPathA(MAX_PATH, buf);
    static int counter = 0;
    char name[64];
    std::snprintf(name, sizeof name, "tavrin-test-%lu-%d", GetCurrentProcessId(), ++counter);
    path_ = std::string(buf) + name;
    CreateDirectoryA(path_.c_str(), nullptr);
    SetCurrentDirectoryA(path_.c_str());
}

ScopedTempDir::~ScopedTempDir() {
    SetCurrentDirectoryA(previous_.c_str());
    RemoveTree(path_);
}

std::vector<unsigned char> ReadFileBytes(const char* name) {
    std::vector<unsigned char> bytes;
    FILE* f = std::fopen(name, "rb");
    if (!f) return bytes;
    unsigned char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

bool WriteFileBytes(const char* name, const void* data, size_t size) {
    FILE* f = std::fopen(name, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    return ok;
}

}  // namespace testsupport
