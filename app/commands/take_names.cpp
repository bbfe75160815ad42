#include "app/commands/take_names.h"

#include <cstdio>

namespace {

constexpr int kStampBytes = 48;

}  // namespace

std::string KeptTakeName(std::string_view fileName, const TakeTime& start, int attempt) {
    const std::size_t dot = fileName.rfind('.');
    const std::string_view stem = dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
    const std::string_view extension = dot == std::string_view::npos ? std::string_view() : fileName.substr(dot);
    char stamp[kStampBytes];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d", start.year, start.month, start.day, start.hour,
                  start.minute, start.second);
    std::string name(stem);
    name += stamp;
    if (attempt > 1) {
        name += '-' + std::to_string(attempt);
    }
    name += extension;
    return name;
}
