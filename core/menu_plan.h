// The context menu as data: which items the handler inserts, in which order,
// with which texts, command offsets, states and pictures, and which folder
// path each folder command stands for. The Windows side turns the plan into
// real menus; everything decided here is testable without Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ansi_text.h"
#include "core/entry_path.h"
#include "core/folder_list.h"
#include "core/string_table.h"
#include <string_view>

namespace wayleap {

// Command offsets (menu id minus the shell's first id).
inline constexpr unsigned kOffsetParent = 0;     // the cascading "Wayleap" item (sub-menu style)
inline constexpr unsigned kOffsetAdd = 1;        // "Add to Wayleap..."
inline constexpr unsigned kOffsetConfigure = 2;  // "Configure Wayleap..."
inline constexpr unsigned kFirstFolderOffset = 8;

// Pictures beside items (shown as both check-mark images).
enum class MenuBitmap : std::uint8_t { None, Folder, Configure, Add };

// File attributes the sub-folder filter looks at (same values as Windows).
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;

// A sub-folder's name. The file system holds names in UTF-16; the menu and
// the list are ANSI. `name` is the name in the ANSI code page; when the code
// page cannot hold it exactly, `wide` holds the true name and `name` only the
// best the code page can give (for ANSI help texts, never to find the folder).
struct SubfolderName {
    std::string name;
    std::u16string wide;
};

// One result of a directory search, as FindFirstFileW/FindNextFileW report
// it; `name` and `wide` as in SubfolderName.
struct FoundFile {
    std::string name;
    std::uint32_t attributes = 0;
    std::u16string wide;
};

// Lists a directory for a search pattern such as "C:\Data\*", or for the
// WideListingKey of a UTF-16 pattern (a folder only UTF-16 can name); nullopt
// when the search cannot start (the folder is missing or unreadable).
using DirectoryLister = std::function<std::optional<std::vector<FoundFile>>(const std::string& pattern)>;

// A UTF-16 search pattern as a listing's key: a 0x01 byte, which starts no
// Windows path, then the pattern's code units, two bytes each, low byte first.
std::string WideListingKey(std::u16string_view pattern);
// The UTF-16 pattern of such a key; nullopt for a pattern of the code page.
std::optional<std::u16string> WidePatternOf(std::string_view key);

// The popup of an expanded entry: "<This Folder>" at offset firstOffset, then
// one item per name at firstOffset + 1 + i.
struct SubfolderPopup {
    bool listed = false;        // false: the folder could not be listed; the popup stays empty
    unsigned firstOffset = 0;   // offset of "<This Folder>" (valid when listed)
    std::vector<SubfolderName> names;  // bare sub-folder names, in menu order
};

// What a folder command stands for: an entry's own path, or a path of its
// popup ("<This Folder>" or a sub-folder) kept in CommandPaths.
struct CommandTarget {
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    std::uint32_t entry = 0;
    std::uint32_t popupPath = kNone;  // index into CommandPaths' popup paths
    std::uint32_t widePath = kNone;   // index into its true paths, for a name the code page cannot hold
    bool missing = false;             // an entry whose variables lead to no folder here
};

// The paths behind the folder commands: element k is offset
// kFirstFolderOffset + k. Entries' own paths are not copied (they stay in the
// folder list, whose entries never move; an added entry goes to the end).
class CommandPaths {
public:
    std::size_t size() const { return targets_.size(); }
    bool empty() const { return targets_.empty(); }
    void Reserve(std::size_t commands) { targets_.reserve(commands); }
    void AddEntry(std::size_t entry) { targets_.push_back({static_cast<std::uint32_t>(entry)}); }
    // An entry whose stored path names variables: where it leads here.
    void AddPlace(std::size_t entry, const EntryPlace& place);
    // A popup's path: prefix + name, and its true UTF-16 form when the name
    // is one the code page cannot hold.
    void AddPopupPath(std::size_t entry, std::string_view prefix, std::string_view name = {},
                      std::u16string widePath = {});
    void Clear() {
        targets_.clear();
        popupPaths_.Clear();
        widePaths_.clear();
    }
    // The path of command k in the ANSI code page, read from `folders` for an
    // entry's own path (for a name the code page cannot hold, the best it can give).
    std::string_view Path(std::size_t k, const std::vector<FolderEntryView>& folders) const;
    // The true path of command k when its name is one the code page cannot
    // hold; empty for every other command.
    std::u16string_view WidePath(std::size_t k) const;
    // Whether command k is an entry whose variables lead to no folder here.
    bool Missing(std::size_t k) const { return targets_[k].missing; }

private:
    std::vector<CommandTarget> targets_;
    StringTable popupPaths_;
    std::vector<std::u16string> widePaths_;
};

struct MenuItemPlan {
    enum class Kind : std::uint8_t { Separator, Entry, Add, Configure };
    Kind kind = Kind::Entry;
    bool grayed = false;
    MenuBitmap bitmap = MenuBitmap::None;
    unsigned offset = 0;
    std::uint32_t entry = 0;  // Kind::Entry: index into the folder list
    // Kind::Entry of an expanded entry: index into MenuPlan::popups.
    static constexpr std::uint32_t kNoPopup = 0xFFFFFFFF;
    std::uint32_t popup = kNoPopup;
};

struct MenuPlan {
    // Direct style: the items inserted into the shell's menu from indexMenu on.
    // Sub-menu style: the content of the popup under the parent item.
    std::vector<MenuItemPlan> items;
    std::vector<SubfolderPopup> popups;
    bool hasParent = false;  // sub-menu style with at least one item in the popup
    CommandPaths commandPaths;
    // What QueryContextMenu reports: the number of ids claimed from idCmdFirst.
    unsigned claimed = 0;
};

struct MenuTexts {
    std::string parent = "Wayleap";
    std::string add = "Add to Wayleap...";
    std::string configure = "Configure Wayleap...";
    std::string thisFolder = "<This Folder>";
};

struct MenuInputs {
    const std::vector<FolderEntryView>* folders = nullptr;
    // Where each entry leads here, by index, when any stored path names
    // variables (PlaceOf); empty when none does: every entry is as stored.
    const std::vector<EntryPlace>* places = nullptr;
    bool useSubMenu = true;
    // The last selected folder, or nullopt when nothing usable is selected.
    std::optional<std::string> lastSelection;
    // False when the code page holds that folder's path only as a look-alike:
    // it is never "already listed", even when an entry reads the same.
    bool lastSelectionStorable = true;
    // Its true path: "already listed" for an entry whose variables lead to a
    // folder only UTF-16 can name.
    std::u16string lastSelectionWide;
    // The largest offset the shell's id range allows (idCmdLast - idCmdFirst);
    // nothing is planned above it. nullopt: the range is empty.
    std::optional<unsigned> maxOffset;
    bool showHidden = false;  // the shell shows hidden files
    MenuTexts texts;
    LeadBytes lead;
    DirectoryLister listDirectory;  // called once per expanded entry that fits
    // A text of the ANSI code page in UTF-16: the folder part of the true path
    // of a sub-folder whose name the code page cannot hold. Without it such
    // sub-folders are left out.
    std::function<std::u16string(std::string_view ansi)> widen;
};

// The search patterns PlanMenu may list, in menu order: those of the expanded
// entries whose own item has an offset in the range (a popup before one may
// still use up the rest). Known before the plan, so that the folders can be
// listed side by side while the rest of the menu is prepared.
std::vector<std::string> ListingPatterns(const MenuInputs& inputs);

// Lays out the whole menu.
//  - Entries in list order get offsets from 8 on; the first ten texts carry
//    "[&0] " to "[&9] "; a text is cut to 263 bytes at a character boundary.
//  - An entry whose path names variables stands for where it leads (places):
//    that path is its command's, its help texts' and its popup's folder; one
//    that leads nowhere is listed by no popup.
//  - An expanded entry lists its folder now: the pattern is the path plus "*"
//    when it ends in a (real) backslash, else plus "\*"; kept are directories
//    other than "." and "..", hidden ones only with showHidden, and only those
//    whose full path fits in 260 bytes; names are sorted byte-wise when the
//    entry's sort is set. Command paths: the entry's path for its own item,
//    the directory prefix for "<This Folder>", prefix + name for each sub-folder.
//  - Then a separator (only after at least one entry), "Add to Wayleap..."
//    (grayed when there is no selection or the last selection is an entry's
//    folder: IsSameFolder) and "Configure Wayleap...". Direct style
//    starts with a separator; sub-menu style puts everything under the parent.
//  - Ids never exceed maxOffset: what does not fit is left out (the fixed
//    commands have the lowest offsets, so they are the last to go), and
//    claimed never exceeds maxOffset + 1.
MenuPlan PlanMenu(const MenuInputs& inputs);

// The text of a planned item (the parent's is inputs.texts.parent), made in
// `out`: a menu of a thousand entries keeps none of them.
void ItemText(const MenuItemPlan& item, const MenuInputs& inputs, std::string& out);

// The search pattern that lists the folder `path`: the path plus "*" when it
// ends in a (real) backslash, else plus "\*"; nullopt when it would not fit
// the system's path buffer (such a folder is not listed).
std::optional<std::string> SearchPattern(std::string_view path, const LeadBytes& lead);

// Sorts sub-folder names as the menu shows them with "sort": the names the
// code page holds first, by unsigned bytes left to right, a prefix first (so
// capitals before small letters); then the others, by UTF-16 code units left
// to right, a prefix first.
void SortSubfolderNames(std::vector<SubfolderName>& names);

// The text of a top-level folder item: "[&i] " + name for i < 10, else the
// name; cut at a character boundary to at most maxBytes bytes. Made in `out`.
void EntryItemText(std::size_t index, std::string_view name, const LeadBytes& lead, std::string& out,
                   std::size_t maxBytes = 263);

}  // namespace wayleap
