// Fuzzes the menu plan: for any list, settings, id range, code page and
// folder contents the plan keeps its ids inside the range and each once,
// claims the ids up to its last folder command (0 to 7 always) as far as the
// range goes, has one command path per folder id in id order that matches its
// item, keeps of the menu with every id its start, puts separators only
// between items (and first in the direct style), keeps navigable paths within
// 260 bytes (260 UTF-16 units for a true path), cuts entry texts to 263 bytes
// at a character boundary, and lists only folders that ListingPatterns named
// beforehand.
#include <algorithm>
#include <climits>

#include "tests/fuzz/fuzz_support.h"

using namespace wayleap;
using Kind = MenuItemPlan::Kind;

namespace {

constexpr std::size_t kMaxPath = 260;

// The entry's own text: its number and name, cut at the last character boundary within 263 bytes.
void CheckEntryText(const MenuItemPlan& item, const MenuInputs& in, std::string_view name) {
    std::string text;
    ItemText(item, in, text);
    const std::string full = (item.entry < 10 ? "[&" + std::to_string(item.entry) + "] " : "") + std::string(name);
    std::size_t cut = 0;
    while (cut < full.size() && cut + CharLength(full, cut, in.lead) <= 263) cut += CharLength(full, cut, in.lead);
    Check(text == full.substr(0, cut), "an entry's text is not its name cut to 263 bytes at a character boundary");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    const FuzzedMenu menu(fuzz, 4096, 24);
    const MenuInputs& in = menu.in;
    const MenuPlan& plan = menu.plan;
    const CommandPaths& paths = plan.commandPaths;
    const std::vector<FolderEntryView>& folders = menu.folders;

    const std::vector<std::string> patterns = ListingPatterns(in);
    Check(std::all_of(patterns.begin(), patterns.end(), [](const std::string& p) { return p.size() <= 259; }),
          "a search pattern passes 259 bytes, which the system would cut");
    Check(menu.asked.size() <= patterns.size() && std::equal(menu.asked.begin(), menu.asked.end(), patterns.begin()),
          "the plan listed a folder that ListingPatterns did not name in that place");
    if (!in.maxOffset) {
        Check(plan.items.empty() && paths.empty() && !plan.hasParent && plan.claimed == 0, "an empty range got a menu");
        return 0;
    }
    const std::uint64_t maxOffset = *in.maxOffset;
    Check(kFirstFolderOffset + paths.size() > maxOffset || menu.asked == patterns,
          "ListingPatterns named a folder the plan did not list though ids were left");
    Check(plan.hasParent == (in.useSubMenu && !plan.items.empty()), "the parent item does not follow the style");
    Check(plan.items.empty() || (plan.items[0].kind == Kind::Separator) != in.useSubMenu,
          "the menu starts with a separator in the sub-menu style, or without one in the direct style");

    bool listed = false;  // the last selection is an entry's path, byte for byte
    for (const FolderEntryView& e : folders) listed = listed || (in.lastSelection && e.path == *in.lastSelection);
    std::vector<std::uint64_t> used;  // every offset the plan gives out
    std::size_t k = 0;  // the next command path: element k is offset 8 + k
    std::uint32_t entries = 0, popups = 0;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const MenuItemPlan& item = plan.items[i];
        if (item.kind == Kind::Separator) {
            Check(i + 1 < plan.items.size() && plan.items[i + 1].kind != Kind::Separator,
                  "a separator ends the menu or follows another");
            continue;
        }
        used.push_back(item.offset);
        if (item.kind == Kind::Add) {
            Check(item.offset == kOffsetAdd, "Add is not at its offset");
            Check(item.grayed == (!in.lastSelection || (in.lastSelectionStorable && listed)), "Add grayed wrongly");
        }
        if (item.kind != Kind::Entry) continue;
        Check(item.entry == entries++ && item.offset == kFirstFolderOffset + k && k < paths.size(),
              "entries are not in list order on consecutive folder ids");
        const FolderEntryView& entry = folders[item.entry];
        Check(paths.Path(k, folders) == entry.path && paths.WidePath(k).empty(), "an entry's command path is not its path");
        ++k;
        CheckEntryText(item, in, entry.name);
        Check((item.popup != MenuItemPlan::kNoPopup) == entry.expand, "a popup without expand, or expand without one");
        if (!entry.expand) continue;
        Check(item.popup == popups++ && item.popup < plan.popups.size(), "popups out of item order");
        const SubfolderPopup& popup = plan.popups[item.popup];
        if (!popup.listed) {
            Check(popup.names.empty(), "an unlisted popup has names");
            continue;
        }
        Check(popup.firstOffset == kFirstFolderOffset + k && k + popup.names.size() < paths.size(),
              "a popup's ids do not follow its entry's");
        const std::string_view folder = paths.Path(k, folders);
        const bool endsInBackslash = FindLastBackslash(entry.path, in.lead) + 1 == entry.path.size();
        Check(folder == std::string(entry.path) + (endsInBackslash ? "" : "\\") &&
                  SearchPattern(entry.path, in.lead) == std::string(folder) + "*" && paths.WidePath(k).empty(),
              "a popup's folder path is not its entry's path ending in a backslash of its own");
        for (std::size_t i = 0; i <= popup.names.size(); ++i) used.push_back(popup.firstOffset + i);
        for (const SubfolderName& name : popup.names) {
            ++k;
            Check(paths.Path(k, folders) == std::string(folder) + name.name, "a sub-folder's path is not folder + name");
            const std::u16string_view wide = paths.WidePath(k);
            Check(name.wide.empty() ? wide.empty() && folder.size() + name.name.size() <= kMaxPath
                                    : in.widen && wide == Widen(folder) + name.wide && wide.size() <= kMaxPath,
                  "a sub-folder's navigable path is wrong or longer than 260");
        }
        ++k;
    }
    Check(k == paths.size() && popups == plan.popups.size(), "command paths or popups that no item uses");
    Check((std::count(used.begin(), used.end(), kOffsetAdd) == 1) == (maxOffset >= kOffsetAdd) &&
              (std::count(used.begin(), used.end(), kOffsetConfigure) == 1) == (maxOffset >= kOffsetConfigure),
          "a fixed command is missing though its offset fits");
    std::sort(used.begin(), used.end());
    Check(std::adjacent_find(used.begin(), used.end()) == used.end(), "an offset is given out twice");
    Check(plan.claimed == std::min<std::uint64_t>(kFirstFolderOffset + paths.size(), maxOffset + 1) &&
              (used.empty() || used.back() < plan.claimed),
          "an offset lies outside the ids claimed, or the ids claimed are not those up to the last folder command");

    // The same menu with every id, its folders listed alike: this one is its start.
    MenuInputs every = in;
    every.maxOffset = UINT_MAX;
    std::size_t next = 0;
    every.listDirectory = [&](const std::string&) {
        return next < menu.answers.size() ? menu.answers[next++] : std::nullopt;
    };
    const MenuPlan full = PlanMenu(every);
    for (std::size_t j = 0; j < paths.size(); ++j) {
        Check(j < full.commandPaths.size() && full.commandPaths.Path(j, folders) == paths.Path(j, folders) &&
                  full.commandPaths.WidePath(j) == paths.WidePath(j),
              "a smaller id range keeps other than the start of the menu with every id");
    }
    return 0;
}
