// The folder entry (one named favourite folder) and the ordered folder list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wayleap {

struct FolderEntry {
    std::string name;  // menu text; ANSI bytes, never blank, no CR/LF
    std::string path;  // navigation target; ANSI bytes, never empty
    bool expand = false;  // show the sub-folders as a cascading popup
    bool sort = false;    // sort those sub-folders by name (only with expand)

    friend bool operator==(const FolderEntry& a, const FolderEntry& b) {
        return a.name == b.name && a.path == b.path && a.expand == b.expand && a.sort == b.sort;
    }
    friend bool operator!=(const FolderEntry& a, const FolderEntry& b) { return !(a == b); }
};

// A folder entry whose texts live elsewhere: the menu reads the list file's
// bytes in place instead of copying every name and path.
struct FolderEntryView {
    std::string_view name;
    std::string_view path;
    bool expand = false;
    bool sort = false;

    FolderEntry ToEntry() const { return {std::string(name), std::string(path), expand, sort}; }
};

// Entries held by value, in file order, which is also menu order. No key:
// duplicates are allowed and nothing ever reorders the list by itself.
class FolderList {
public:
    using const_iterator = std::vector<FolderEntry>::const_iterator;

    void Clear() { entries_.clear(); }
    void Reserve(std::size_t count) { entries_.reserve(count); }
    void Append(const FolderEntry& entry) { entries_.push_back(entry); }
    void Append(FolderEntry&& entry) { entries_.push_back(std::move(entry)); }
    std::size_t Count() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const FolderEntry& At(std::size_t index) const { return entries_.at(index); }

    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }

    friend bool operator==(const FolderList& a, const FolderList& b) { return a.entries_ == b.entries_; }
    friend bool operator!=(const FolderList& a, const FolderList& b) { return !(a == b); }

private:
    std::vector<FolderEntry> entries_;
};

}  // namespace wayleap
