// Many strings end to end in one buffer: a thousand of them cost two
// allocations instead of a thousand. Each is followed by a zero byte, so an
// element's data() is also a C string.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wayleap {

class StringTable {
public:
    void Append(std::string_view text) {
        starts_.push_back(bytes_.size());
        bytes_.append(text);
        bytes_.push_back('\0');
    }
    // The same as appending `text` ending in `tail`, without making it first.
    void Append(std::string_view text, std::string_view tail) {
        starts_.push_back(bytes_.size());
        bytes_.append(text);
        bytes_.append(tail);
        bytes_.push_back('\0');
    }
    void Clear() {
        starts_.clear();
        bytes_.clear();
    }

    std::size_t size() const { return starts_.size(); }
    bool empty() const { return starts_.empty(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] : bytes_.size();
        return std::string_view(bytes_).substr(starts_[i], end - starts_[i] - 1);
    }

private:
    std::string bytes_;
    std::vector<std::size_t> starts_;
};

}  // namespace wayleap
