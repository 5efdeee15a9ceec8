// SkipdoorCMH: putting the planned items into the shell's menu, and refilling
// sub-folder popups when they are about to open.
#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/menu_plan.h"
#include "core/window_class.h"
#include "shellext/com_util.h"
#include "shellext/handler.h"
#include "shellext/module.h"
#include "shellext/resource_ids.h"
#include "shellext/subfolder_threads.h"
#include "win/code_page.h"

namespace wayleap::shellext {
namespace {

// The size of MENUITEMINFOA without hbmpItem: the fields used here, accepted
// by every version of Windows. It is the offset of hbmpItem, not the end of
// cch: on x64 the two differ by padding, and user32 accepts only the offset
// (72 there; 44 on x86).
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
constexpr UINT kAppend = 0xFFFFFFFF;

bool ForegroundIsOfficeDialog() {
    HWND foreground = GetForegroundWindow();
    char className[256] = {};
    if (!foreground || GetClassNameA(foreground, className, sizeof className) == 0) return false;
    return IsOfficeDialogClass(className);
}

MENUITEMINFOA ItemInfo() {
    MENUITEMINFOA mii = {};
    mii.cbSize = kMenuItemInfoSize;
    return mii;
}

bool InsertSeparator(HMENU menu, UINT position) {
    MENUITEMINFOA mii = ItemInfo();
    mii.fMask = MIIM_TYPE;
    mii.fType = MFT_SEPARATOR;
    return InsertMenuItemA(menu, position, TRUE, &mii) != FALSE;
}

// `text` is followed by a zero byte: InsertMenuItemA reads it as a C string.
bool InsertCommand(HMENU menu, UINT position, std::string_view text, UINT id, bool grayed, HBITMAP bitmap,
                   HMENU subMenu = nullptr, ULONG_PTR itemData = 0, bool withData = false) {
    MENUITEMINFOA mii = ItemInfo();
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_CHECKMARKS | MIIM_TYPE;
    if (subMenu) mii.fMask |= MIIM_SUBMENU;
    if (withData) mii.fMask |= MIIM_DATA;
    mii.fType = MFT_STRING;
    mii.fState = grayed ? MFS_GRAYED : 0;
    mii.wID = id;
    mii.hSubMenu = subMenu;
    mii.hbmpChecked = bitmap;
    mii.hbmpUnchecked = bitmap;
    mii.dwItemData = itemData;
    // InsertMenuItemA only reads the text.
    mii.dwTypeData = const_cast<char*>(text.data());
    mii.cch = static_cast<UINT>(text.size());
    return InsertMenuItemA(menu, position, TRUE, &mii) != FALSE;
}

// The same item with a UTF-16 text: a sub-folder whose name the ANSI code
// page cannot hold is shown as it truly is.
bool InsertCommandW(HMENU menu, UINT position, const std::u16string& text, UINT id, HBITMAP bitmap, ULONG_PTR itemData) {
    MENUITEMINFOW mii = {};
    mii.cbSize = offsetof(MENUITEMINFOW, hbmpItem);
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    mii.fType = MFT_STRING;
    mii.wID = id;
    mii.hbmpChecked = bitmap;
    mii.hbmpUnchecked = bitmap;
    mii.dwItemData = itemData;
    mii.dwTypeData = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text.c_str()));
    mii.cch = static_cast<UINT>(text.size());
    return InsertMenuItemW(menu, position, TRUE, &mii) != FALSE;
}

// Appends the sub-folder items of a record to `menu` (which may be a copy
// of the record's popup). Reports E_UNEXPECTED when an item could not be added.
HRESULT FillPopup(HMENU menu, const SubMenuRecord& record) {
    HRESULT hr = S_OK;
    const auto data = reinterpret_cast<ULONG_PTR>(record.popup);
    for (std::size_t i = 0; i < record.names.size(); ++i) {
        const UINT id = record.firstId + 1 + static_cast<UINT>(i);
        const SubfolderName& name = record.names[i];
        if (!(name.wide.empty() ? InsertCommand(menu, kAppend, name.name, id, false, record.bitmap, nullptr, data, true)
                                : InsertCommandW(menu, kAppend, name.wide, id, record.bitmap, data))) {
            hr = E_UNEXPECTED;
        }
    }
    return hr;
}

// A text of the ANSI code page in UTF-16, for the core's true paths.
std::u16string Widen(std::string_view ansi) {
    const std::wstring wide = AnsiToWide(ansi);
    return std::u16string(wide.begin(), wide.end());
}

}  // namespace

STDMETHODIMP Handler::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT flags) {
    return Guarded([&]() -> HRESULT {
        if (!Active() || (flags & CMF_DEFAULTONLY)) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        MenuInputs inputs;
        inputs.folders = &folders_;
        if (!places_.empty()) inputs.places = &places_;
        if (idCmdLast >= idCmdFirst) inputs.maxOffset = idCmdLast - idCmdFirst;
        inputs.lead = SystemLeadBytes();
        // The expanded entries' folders are listed side by side on other
        // threads from here on, while the rest of the menu is prepared; the
        // menu waits for them together, at most the budget.
        std::optional<SubfolderListings::Menu> listings;
        const std::vector<std::string> patterns = ListingPatterns(inputs);
        if (SubfolderListings* shared = Listings(); shared && !patterns.empty()) {
            listings.emplace(shared->Begin(patterns));
            inputs.listDirectory = [&](const std::string& pattern) { return listings->Take(pattern); };
            inputs.widen = Widen;
        }

        // The hidden-files setting and the foreground window matter only to
        // sub-folder popups, which only listed folders fill; a menu that
        // lists none skips asking.
        const bool anyExpanded = !patterns.empty();
        const bool office = anyExpanded && ForegroundIsOfficeDialog();
        if (anyExpanded) {
            SHELLFLAGSTATE shellFlags = {};
            SHGetSettings(&shellFlags, SSF_SHOWALLOBJECTS);
            showHidden_ = shellFlags.fShowAllObjects ? ~0 : 0;
        }
        inputs.useSubMenu = useSubMenu_;
        if (!selection_.empty()) {
            inputs.lastSelection = selection_.back().path;
            inputs.lastSelectionStorable = selection_.back().storable;
            inputs.lastSelectionWide = selection_.back().wide;
        }
        inputs.showHidden = showHidden_ != 0;
        inputs.texts.parent = LoadModuleString(IDS_MENU_PARENT);
        inputs.texts.add = LoadModuleString(IDS_MENU_ADD);
        inputs.texts.configure = LoadModuleString(IDS_MENU_CONFIGURE);
        inputs.texts.thisFolder = LoadModuleString(IDS_THIS_FOLDER);
        MenuPlan plan = PlanMenu(inputs);

        bitmaps_ = AcquireMenuBitmaps(MenuCheckSize());
        auto bitmapFor = [this](MenuBitmap which) -> HBITMAP {
            switch (which) {
            case MenuBitmap::Folder: return bitmaps_.folder;
            case MenuBitmap::Configure: return bitmaps_.configure;
            case MenuBitmap::Add: return bitmaps_.add;
            default: return nullptr;
            }
        };

        // Each menu plans afresh: a host that asks again (with other ids, or
        // once a late listing came in) gets help texts, verbs and clicks that
        // follow its latest menu, never an earlier one's paths.
        commandPaths_ = std::move(plan.commandPaths);
        subMenus_.clear();

        // Direct style inserts into the shell's menu from indexMenu on (-1
        // appends); sub-menu style fills one popup under the parent item.
        HMENU target = menu;
        UINT position = indexMenu;
        if (useSubMenu_) {
            if (!plan.hasParent) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, plan.claimed & 0xFFFF);
            target = CreatePopupMenu();
            position = 0;
        }
        auto advance = [&position] {
            if (position != kAppend) ++position;
        };

        std::string text;
        for (const MenuItemPlan& item : plan.items) {
            if (item.kind == MenuItemPlan::Kind::Separator) {
                InsertSeparator(target, position);
                advance();
                continue;
            }
            ItemText(item, inputs, text);
            const UINT id = idCmdFirst + item.offset;
            if (item.popup == MenuItemPlan::kNoPopup) {
                InsertCommand(target, position, text, id, item.grayed, bitmapFor(item.bitmap));
                advance();  // a failed insertion leaves its item out, not its place
                continue;
            }
            HMENU popup = CreatePopupMenu();
            SubfolderPopup& sub = plan.popups[item.popup];
            if (popup && sub.listed) {
                SubMenuRecord record{popup, idCmdFirst + sub.firstOffset, bitmaps_.folder, std::move(sub.names)};
                InsertCommand(popup, 0, inputs.texts.thisFolder, record.firstId, false, record.bitmap, nullptr,
                              reinterpret_cast<ULONG_PTR>(popup), true);
                // Office-style dialogs get the sub-folders when the popup opens.
                if (!office) FillPopup(popup, record);
                subMenus_[reinterpret_cast<UINT_PTR>(popup)] = std::move(record);
            }
            if (!InsertCommand(target, position, text, id, item.grayed, bitmapFor(item.bitmap), popup) && popup) {
                subMenus_.erase(reinterpret_cast<UINT_PTR>(popup));
                DestroyMenu(popup);  // not taken by the menu, so still ours
            }
            advance();
        }

        if (useSubMenu_ && !InsertCommand(menu, indexMenu, inputs.texts.parent, idCmdFirst + kOffsetParent, false,
                                          bitmaps_.configure, target)) {
            DestroyMenu(target);  // the shell's menu did not take it, so it is still ours
        }
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, plan.claimed & 0xFFFF);
    });
}

// Refills a sub-folder popup from its record: the popup itself, or a menu
// whose first item ("<This Folder>") carries the record's popup as item data.
HRESULT Handler::RefreshPopup(HMENU popup) {
    auto found = subMenus_.find(reinterpret_cast<UINT_PTR>(popup));
    if (found == subMenus_.end()) {
        MENUITEMINFOA mii = ItemInfo();
        mii.fMask = MIIM_DATA;
        if (!GetMenuItemInfoA(popup, 0, TRUE, &mii)) return E_UNEXPECTED;
        found = subMenus_.find(static_cast<UINT_PTR>(mii.dwItemData));
        if (found == subMenus_.end()) return S_FALSE;  // not one of ours
    }
    HRESULT hr = S_OK;
    for (int i = GetMenuItemCount(popup) - 1; i >= 1; --i) {
        if (!DeleteMenu(popup, static_cast<UINT>(i), MF_BYPOSITION)) hr = E_UNEXPECTED;
    }
    const HRESULT filled = FillPopup(popup, found->second);
    return FAILED(hr) ? hr : filled;
}

}  // namespace wayleap::shellext
