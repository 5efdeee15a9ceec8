// The folder list: an ordered sequence of entries held by value, where order
// is menu order and duplicates are legitimate (two names for one folder).
#include "core/folder_list.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using wayleap::FolderEntry;
using wayleap::FolderList;

namespace {

FolderEntry Entry(std::string name, std::string path, bool expand = false, bool sort = false) {
    return FolderEntry{std::move(name), std::move(path), expand, sort};
}

std::vector<std::string> Names(const FolderList& list) {
    std::vector<std::string> names;
    for (const FolderEntry& e : list) names.push_back(e.name);
    return names;
}

}  // namespace

TEST(FolderListOrder, AppendKeepsInsertionOrderAndDuplicates) {
    FolderList list;
    EXPECT_TRUE(list.Empty());
    list.Append(Entry("Work", "C:\\Work"));
    list.Append(Entry("Temp", "D:\\Temp"));
    list.Append(Entry("Work", "C:\\Work"));  // same name and path: both stay
    list.Append(Entry("Alpha", "C:\\Alpha"));

    ASSERT_EQ(list.Count(), 4u);
    EXPECT_FALSE(list.Empty());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Work", "Temp", "Work", "Alpha"}));
    EXPECT_EQ(list.At(0), list.At(2));
    EXPECT_EQ(list.At(3).path, "C:\\Alpha");
}

// Entries are held by value: neither the appended entry nor a copy of the
// list shares anything with the list afterwards.
TEST(FolderListOrder, AppendAndCopyTakeEntriesByValue) {
    FolderEntry entry = Entry("B", "C:\\B", true, false);
    FolderList original;
    original.Append(entry);
    original.Append(Entry("A", "C:\\A", false, true));
    entry.name = "Changed";
    entry.path.clear();

    FolderList copy = original;
    EXPECT_EQ(copy, original);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"B", "A"}));
    copy.Clear();
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.begin(), copy.end());
    copy.Append(Entry("New", "C:\\New"));
    EXPECT_EQ(Names(copy), std::vector<std::string>{"New"});

    EXPECT_EQ(original.Count(), 2u);
    EXPECT_EQ(original.At(0), Entry("B", "C:\\B", true, false));
}

TEST(FolderListOrder, AtPastTheEndThrowsInsteadOfReadingGarbage) {
    FolderList list;
    EXPECT_THROW(list.At(0), std::out_of_range);
    list.Append(Entry("Only", "C:\\Only"));
    EXPECT_THROW(list.At(1), std::out_of_range);
}

// Round trips and change detection compare entries with ==, so every field
// must take part: a lost flag must not compare equal.
TEST(FolderEntryEquality, EveryFieldCounts) {
    const FolderEntry base = Entry("Name", "C:\\Path", true, false);
    const FolderEntry differing[] = {
        Entry("name", "C:\\Path", true, false),   // names compare case-sensitively
        Entry("Name", "C:\\path", true, false),
        Entry("Name", "C:\\Path", false, false),
        Entry("Name", "C:\\Path", true, true),
        Entry("Name ", "C:\\Path", true, false),
    };
    EXPECT_EQ(base, Entry("Name", "C:\\Path", true, false));
    for (const FolderEntry& other : differing) {
        EXPECT_NE(base, other) << other.name << " / " << other.path;
    }

    FolderList a, b;
    a.Append(Entry("X", "C:\\X"));
    a.Append(Entry("Y", "C:\\Y"));
    b.Append(Entry("Y", "C:\\Y"));
    b.Append(Entry("X", "C:\\X"));
    EXPECT_NE(a, b) << "lists with the same entries in another order differ";
}
