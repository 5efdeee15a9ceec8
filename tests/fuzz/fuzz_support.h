// Shared by the fuzz targets: a check that names the broken rule before it
// aborts, and a context menu planned from fuzz bytes - the list file, the
// settings, the last selection, the id range, the code page, and what each
// folder the plan lists holds.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/list_file.h"
#include "core/menu_plan.h"

namespace wayleap {

inline void Check(bool ok, const char* why) {
    if (ok) return;
    std::fprintf(stderr, "broken: %s\n", why);
    std::abort();
}

// Byte pairs as UTF-16 code units (lone surrogates included).
inline std::u16string Units(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    return units;
}

// Stands in for the code page's conversion: one unit per byte.
inline std::u16string Widen(std::string_view ansi) {
    std::u16string wide;
    for (unsigned char c : ansi) wide += c;
    return wide;
}

// The inputs point into it, so it stays where it was made.
struct FuzzedMenu {
    std::string listBytes;
    std::vector<FolderEntryView> folders;
    std::vector<std::string> asked;  // the patterns the lister was asked for, in order
    std::vector<std::optional<std::vector<FoundFile>>> answers;  // and what it gave
    MenuInputs in;
    MenuPlan plan;

    FuzzedMenu(FuzzedDataProvider& fuzz, std::size_t maxListBytes, std::size_t maxFound) {
        in.lead = fuzz.ConsumeBool() ? LeadBytes::ShiftJis() : LeadBytes();
        listBytes = fuzz.ConsumeRandomLengthString(maxListBytes);
        ParseFolderListViews(listBytes, in.lead, folders);
        in.folders = &folders;
        in.useSubMenu = fuzz.ConsumeBool();
        in.showHidden = fuzz.ConsumeBool();
        if (fuzz.ConsumeBool()) in.widen = Widen;
        // None, any text, an entry's path, or one that differs from it slightly.
        const int selection = fuzz.ConsumeIntegralInRange(0, 3);
        if (selection == 1) in.lastSelection = fuzz.ConsumeRandomLengthString(300);
        if (selection >= 2 && !folders.empty()) {
            std::string path(folders[fuzz.ConsumeIntegralInRange<std::size_t>(0, folders.size() - 1)].path);
            const int miss = selection == 3 ? fuzz.ConsumeIntegralInRange(0, 2) : -1;
            if (miss == 0) path.pop_back();
            if (miss == 1) path += '\\';
            if (miss == 2) path[0] ^= 0x20;  // a letter in its other case
            in.lastSelection = path;
        }
        in.lastSelectionStorable = fuzz.ConsumeBool();
        const int range = fuzz.ConsumeIntegralInRange(0, 3);  // none, any, or tiny twice as often
        if (range == 1) in.maxOffset = fuzz.ConsumeIntegral<unsigned>();
        if (range >= 2) in.maxOffset = fuzz.ConsumeIntegralInRange(0u, 40u);
        in.listDirectory = [this, &fuzz, maxFound](const std::string& pattern) -> std::optional<std::vector<FoundFile>> {
            asked.push_back(pattern);
            std::optional<std::vector<FoundFile>>& found = answers.emplace_back();
            if (!fuzz.ConsumeBool()) return found;  // the folder cannot be listed
            found.emplace(fuzz.ConsumeIntegralInRange<std::size_t>(0, maxFound));
            for (FoundFile& f : *found) {
                f.attributes = fuzz.ConsumeIntegral<std::uint8_t>();  // directory 0x10 and hidden 0x2 among others
                f.name = fuzz.ConsumeRandomLengthString(300);
                if (fuzz.ConsumeBool()) f.wide = Units(fuzz.ConsumeRandomLengthString(600));
            }
            return found;
        };
        plan = PlanMenu(in);
    }
    FuzzedMenu(const FuzzedMenu&) = delete;
    FuzzedMenu& operator=(const FuzzedMenu&) = delete;
};

}  // namespace wayleap
