// The context menu as data: layout, texts, command offsets and command paths.
#include "core/menu_plan.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace wayleap {

namespace {

// Longest path a folder command may stand for, and the longest search
// pattern (plus its terminator) that fits the system's path buffers.
constexpr std::size_t kMaxCommandPath = 260;
constexpr std::size_t kMaxPatternBytes = 259;

bool EndsInBackslash(std::string_view path, const LeadBytes& lead) {
    // A trail byte 0x5C of a double-byte character is not a separator.
    return !path.empty() && FindLastBackslash(path, lead) == path.size() - 1;
}

// "." and ".." are ASCII, so the code page always holds them as they are.
bool KeepFound(const FoundFile& found, bool showHidden) {
    if ((found.attributes & kAttributeDirectory) == 0) return false;
    if (!showHidden && (found.attributes & kAttributeHidden) != 0) return false;
    return found.name != "." && found.name != "..";
}

// Hands out folder-command offsets from kFirstFolderOffset on, never above
// the range the shell granted. Counted in 64 bits so that a range reaching
// the largest unsigned offset cannot wrap around.
class OffsetAllocator {
public:
    explicit OffsetAllocator(unsigned maxOffset) : max_(maxOffset) {}

    bool Fits() const { return next_ <= max_; }
    // How many consecutive offsets are left from the next one on.
    std::uint64_t Left() const { return next_ <= max_ ? max_ - next_ + 1 : 0; }
    unsigned Take() { return static_cast<unsigned>(next_++); }

private:
    std::uint64_t next_ = kFirstFolderOffset;
    std::uint64_t max_;
};

const EntryPlace* PlaceAt(const MenuInputs& inputs, std::size_t index) {
    return inputs.places && index < inputs.places->size() ? &(*inputs.places)[index] : nullptr;
}

// How an entry's folder is listed: the listing's key, and the folder part of
// its popup's paths in the code page and, for a folder only UTF-16 can name,
// in UTF-16. Nothing for a folder that cannot be listed.
struct PopupFolder {
    std::string key;
    std::string prefix;
    std::u16string widePrefix;
};

std::optional<PopupFolder> PopupFolderOf(const FolderEntryView& entry, const EntryPlace* place, const LeadBytes& lead) {
    using Kind = EntryPlace::Kind;
    const Kind kind = place ? place->kind : Kind::AsStored;
    if (kind == Kind::Missing) return std::nullopt;
    if (kind == Kind::WideOnly) {
        std::u16string widePrefix = place->wide;
        if (widePrefix.back() != u'\\') widePrefix += u'\\';
        if (widePrefix.size() + 1 > kMaxPatternBytes) return std::nullopt;
        std::string prefix = place->path;
        if (!EndsInBackslash(prefix, lead)) prefix += '\\';
        return PopupFolder{WideListingKey(widePrefix + u'*'), std::move(prefix), std::move(widePrefix)};
    }
    std::optional<std::string> pattern = SearchPattern(kind == Kind::Expanded ? place->path : entry.path, lead);
    if (!pattern) return std::nullopt;
    std::string prefix = pattern->substr(0, pattern->size() - 1);
    return PopupFolder{std::move(*pattern), std::move(prefix), {}};
}

// The popup of an expanded entry. Appends its command paths and takes its
// offsets; an entry whose folder cannot be listed (or whose "<This Folder>"
// has no offset left) gets an empty popup that uses neither.
SubfolderPopup PlanPopup(std::size_t index, const FolderEntryView& entry, const MenuInputs& inputs,
                         OffsetAllocator& offsets, CommandPaths& commandPaths) {
    SubfolderPopup popup;
    if (!offsets.Fits() || !inputs.listDirectory) return popup;

    const std::optional<PopupFolder> folder = PopupFolderOf(entry, PlaceAt(inputs, index), inputs.lead);
    if (!folder) return popup;
    const std::string_view prefix = folder->prefix;
    // A folder only UTF-16 can name: every path of its popup goes by its true form.
    const bool wideOnly = !folder->widePrefix.empty();
    if (wideOnly && !inputs.widen) return popup;

    std::optional<std::vector<FoundFile>> found = inputs.listDirectory(folder->key);
    if (!found) return popup;

    // The folder part of true paths, made once for the first name that needs it.
    std::optional<std::u16string> widePrefix;
    if (wideOnly) widePrefix = folder->widePrefix;
    auto wideFolder = [&]() -> const std::u16string& {
        if (!widePrefix) widePrefix = inputs.widen(prefix);
        return *widePrefix;
    };
    for (FoundFile& f : *found) {
        if (!KeepFound(f, inputs.showHidden)) continue;
        if (wideOnly && f.wide.empty()) f.wide = inputs.widen(f.name);
        // A sub-folder whose path does not fit could not be navigated to.
        if (f.wide.empty() ? prefix.size() + f.name.size() > kMaxCommandPath
                           : !inputs.widen || wideFolder().size() + f.wide.size() > kMaxCommandPath) {
            continue;
        }
        popup.names.push_back({std::move(f.name), std::move(f.wide)});
    }
    if (entry.sort) SortSubfolderNames(popup.names);

    // "<This Folder>" takes the first offset, the names those after it, as
    // far as the range goes.
    const std::uint64_t namesThatFit = offsets.Left() - 1;
    if (popup.names.size() > namesThatFit) popup.names.resize(static_cast<std::size_t>(namesThatFit));

    popup.listed = true;
    popup.firstOffset = offsets.Take();
    commandPaths.AddPopupPath(index, prefix, {}, folder->widePrefix);
    for (const SubfolderName& name : popup.names) {
        offsets.Take();
        commandPaths.AddPopupPath(index, prefix, name.name, name.wide.empty() ? std::u16string() : wideFolder() + name.wide);
    }
    return popup;
}

MenuItemPlan Item(MenuItemPlan::Kind kind, unsigned offset = 0, MenuBitmap bitmap = MenuBitmap::None,
                  bool grayed = false) {
    MenuItemPlan item;
    item.kind = kind;
    item.offset = offset;
    item.bitmap = bitmap;
    item.grayed = grayed;
    return item;
}

}  // namespace

MenuPlan PlanMenu(const MenuInputs& inputs) {
    MenuPlan plan;
    if (!inputs.maxOffset) return plan;
    const unsigned maxOffset = *inputs.maxOffset;
    const std::vector<FolderEntryView> noFolders;
    const std::vector<FolderEntryView>& folders = inputs.folders ? *inputs.folders : noFolders;

    // Checked against the whole list, also entries left out for lack of ids:
    // the folder is listed whether or not this menu can show it.
    bool alreadyListed = false;
    for (std::size_t index = 0; inputs.lastSelection && !alreadyListed && index < folders.size(); ++index) {
        alreadyListed = IsSameFolder(folders[index].path, PlaceAt(inputs, index), *inputs.lastSelection,
                                     inputs.lastSelectionStorable, inputs.lastSelectionWide);
    }

    // Items go straight to their place, and hold no text: the menu of a
    // thousand entries is planned in a few small blocks of memory.
    const bool anyEntry = !folders.empty() && kFirstFolderOffset <= maxOffset;
    const bool anyFixed = kOffsetAdd <= maxOffset;
    plan.items.reserve(folders.size() + 4);
    plan.commandPaths.Reserve(folders.size());
    using Kind = MenuItemPlan::Kind;
    if (!inputs.useSubMenu && (anyEntry || anyFixed)) plan.items.push_back(Item(Kind::Separator));

    OffsetAllocator offsets(maxOffset);
    for (std::size_t index = 0; index < folders.size(); ++index) {
        // Offsets only grow: the first entry that does not fit ends the list.
        if (!offsets.Fits()) break;
        const FolderEntryView& entry = folders[index];
        MenuItemPlan& item = plan.items.emplace_back(Item(Kind::Entry, offsets.Take(), MenuBitmap::Folder));
        item.entry = static_cast<std::uint32_t>(index);
        const EntryPlace* place = PlaceAt(inputs, index);
        if (place && place->kind != EntryPlace::Kind::AsStored) {
            plan.commandPaths.AddPlace(index, *place);
        } else {
            plan.commandPaths.AddEntry(index);
        }
        if (entry.expand) {
            item.popup = static_cast<std::uint32_t>(plan.popups.size());
            plan.popups.push_back(PlanPopup(index, entry, inputs, offsets, plan.commandPaths));
        }
    }

    if (anyEntry && anyFixed) plan.items.push_back(Item(Kind::Separator));
    if (anyFixed) {
        plan.items.push_back(Item(Kind::Add, kOffsetAdd, MenuBitmap::Add, !inputs.lastSelection || alreadyListed));
    }
    if (kOffsetConfigure <= maxOffset) plan.items.push_back(Item(Kind::Configure, kOffsetConfigure, MenuBitmap::Configure));

    // The parent's own offset 0 always fits a non-empty range.
    plan.hasParent = inputs.useSubMenu && !plan.items.empty();

    // Offsets 0 to 7 are claimed even where unused, so that the folder
    // commands keep their place; never more than the range holds.
    const std::uint64_t wanted = std::uint64_t{kFirstFolderOffset} + plan.commandPaths.size();
    plan.claimed = static_cast<unsigned>(std::min<std::uint64_t>(wanted, std::uint64_t{maxOffset} + 1));
    return plan;
}

std::vector<std::string> ListingPatterns(const MenuInputs& inputs) {
    std::vector<std::string> patterns;
    if (!inputs.maxOffset || !inputs.folders) return patterns;
    std::uint64_t offset = kFirstFolderOffset;
    for (std::size_t index = 0; index < inputs.folders->size(); ++index) {
        if (offset++ > *inputs.maxOffset) break;
        const FolderEntryView& entry = (*inputs.folders)[index];
        if (!entry.expand) continue;
        if (std::optional<PopupFolder> folder = PopupFolderOf(entry, PlaceAt(inputs, index), inputs.lead)) {
            patterns.push_back(std::move(folder->key));
        }
    }
    return patterns;
}

void ItemText(const MenuItemPlan& item, const MenuInputs& inputs, std::string& out) {
    switch (item.kind) {
    case MenuItemPlan::Kind::Entry:
        EntryItemText(item.entry, (*inputs.folders)[item.entry].name, inputs.lead, out);
        return;
    case MenuItemPlan::Kind::Add: out = inputs.texts.add; return;
    case MenuItemPlan::Kind::Configure: out = inputs.texts.configure; return;
    default: out.clear(); return;
    }
}

void CommandPaths::AddPopupPath(std::size_t entry, std::string_view prefix, std::string_view name,
                                std::u16string widePath) {
    CommandTarget target{static_cast<std::uint32_t>(entry), static_cast<std::uint32_t>(popupPaths_.size())};
    if (!widePath.empty()) {
        target.widePath = static_cast<std::uint32_t>(widePaths_.size());
        widePaths_.push_back(std::move(widePath));
    }
    targets_.push_back(target);
    popupPaths_.Append(prefix, name);
}

void CommandPaths::AddPlace(std::size_t entry, const EntryPlace& place) {
    AddPopupPath(entry, place.path, {}, place.wide);
    targets_.back().missing = place.kind == EntryPlace::Kind::Missing;
}

std::string WideListingKey(std::u16string_view pattern) {
    std::string key(1, '\x01');
    for (char16_t unit : pattern) {
        key += static_cast<char>(unit & 0xFF);
        key += static_cast<char>(unit >> 8);
    }
    return key;
}

std::optional<std::u16string> WidePatternOf(std::string_view key) {
    if (key.empty() || key[0] != '\x01' || key.size() % 2 == 0) return std::nullopt;
    std::u16string pattern;
    for (std::size_t i = 1; i + 1 < key.size(); i += 2) {
        pattern += static_cast<char16_t>(static_cast<unsigned char>(key[i]) | static_cast<unsigned char>(key[i + 1]) << 8);
    }
    return pattern;
}

std::string_view CommandPaths::Path(std::size_t k, const std::vector<FolderEntryView>& folders) const {
    const CommandTarget& target = targets_[k];
    if (target.popupPath != CommandTarget::kNone) return popupPaths_[target.popupPath];
    return target.entry < folders.size() ? folders[target.entry].path : std::string_view();
}

std::u16string_view CommandPaths::WidePath(std::size_t k) const {
    const CommandTarget& target = targets_[k];
    return target.widePath != CommandTarget::kNone ? std::u16string_view(widePaths_[target.widePath])
                                                   : std::u16string_view();
}

std::optional<std::string> SearchPattern(std::string_view path, const LeadBytes& lead) {
    std::string pattern(path);
    pattern += EndsInBackslash(path, lead) ? "*" : "\\*";
    // A pattern this long would be cut by FindFirstFileA: the folder counts
    // as one that cannot be listed rather than search a different one.
    if (pattern.size() > kMaxPatternBytes) return std::nullopt;
    return pattern;
}

void SortSubfolderNames(std::vector<SubfolderName>& names) {
    std::sort(names.begin(), names.end(), [](const SubfolderName& a, const SubfolderName& b) {
        if (a.wide.empty() != b.wide.empty()) return a.wide.empty();
        if (!a.wide.empty()) return a.wide < b.wide;  // char16_t: code units compare unsigned
        const std::size_t common = std::min(a.name.size(), b.name.size());
        const int order = common == 0 ? 0 : std::memcmp(a.name.data(), b.name.data(), common);  // unsigned bytes
        return order != 0 ? order < 0 : a.name.size() < b.name.size();
    });
}

void EntryItemText(std::size_t index, std::string_view name, const LeadBytes& lead, std::string& out,
                   std::size_t maxBytes) {
    out.clear();
    if (index < 10) {
        out = "[&";
        out += static_cast<char>('0' + index);
        out += "] ";
    }
    out += name;
    // The prefix is ASCII, so a boundary found over the whole text is one of the name's.
    out.resize(CutAtCharBoundary(out, maxBytes, lead).size());
}

}  // namespace wayleap
