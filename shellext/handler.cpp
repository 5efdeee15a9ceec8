// SkipdoorCMH: creation, interfaces, Initialize, help texts and verbs.
#include "shellext/handler.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "core/ansi_text.h"
#include "core/command_string.h"
#include "core/list_file.h"
#include "shellext/com_util.h"
#include "shellext/module.h"
#include "shellext/resource_ids.h"
#include "win/code_page.h"
#include "win/entry_places.h"
#include "win/settings.h"

namespace wayleap::shellext {

HRESULT CreateHandler(REFIID riid, void** ppv) {
    Handler* handler = new (std::nothrow) Handler();
    if (!handler) return E_OUTOFMEMORY;
    handler->AddRef();
    const HRESULT hr = handler->QueryInterface(riid, ppv);
    handler->Release();  // destroys the object again when the interface was refused
    return hr;
}

Handler::Handler() : instanceNumber_(Module::HandlerCreated()) { Module::Lock(); }

Handler::~Handler() {
    Module::HandlerDestroyed();
    Module::Unlock();
}

// IUnknown

STDMETHODIMP Handler::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // Searched in this order; IUnknown and ISkipdoorCMH give the identity.
    if (IsEqualIID(riid, IID_ISkipdoorCMH)) {
        *ppv = static_cast<ISkipdoorCMH*>(this);
    } else if (IsEqualIID(riid, IID_IShellExtInit)) {
        *ppv = static_cast<IShellExtInit*>(this);
    } else if (IsEqualIID(riid, IID_IContextMenu) || IsEqualIID(riid, IID_IContextMenu2) ||
               IsEqualIID(riid, IID_IContextMenu3)) {
        *ppv = static_cast<IContextMenu3*>(this);
    } else if (IsEqualIID(riid, IID_IObjectWithSite)) {
        *ppv = static_cast<IObjectWithSite*>(this);
    } else if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<ISkipdoorCMH*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) Handler::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) Handler::Release() {
    const LONG count = InterlockedDecrement(&refs_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

// IObjectWithSite

STDMETHODIMP Handler::SetSite(IUnknown* site) {
    site_.reset();
    if (site) site->QueryInterface(IID_IUnknown, site_.put_void());
    return S_OK;
}

STDMETHODIMP Handler::GetSite(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return site_ ? site_->QueryInterface(riid, ppv) : E_FAIL;
}

// IShellExtInit

STDMETHODIMP Handler::Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* dataObject, HKEY /*progId*/) {
    return Guarded([&] {
        if (!Active() || initialised_) return S_OK;
        initialised_ = true;
        // Only the menu style matters here: a handler the shell loaded is enabled.
        useSubMenu_ = ReadSubmenuSetting();
        loadStatus_ = LoadFolderListViews(Module::DataFilePath(), listBytes_, folders_);
        places_ = PlacesHere(folders_);
        GatherSelection(pidlFolder, dataObject);
        commandPaths_.Clear();
        subMenus_.clear();
        return S_OK;
    });
}

FolderList Handler::LoadedFolders() const {
    FolderList list;
    list.Reserve(folders_.size());
    for (const FolderEntryView& entry : folders_) list.Append(entry.ToEntry());
    return list;
}

void Handler::FoldersSaved(std::string bytes) {
    // Kept as the file now holds it, so that a later menu of this object shows it.
    listBytes_ = std::move(bytes);
    folders_.clear();
    ParseFolderListViews(listBytes_, SystemLeadBytes(), folders_);
    places_ = PlacesHere(folders_);
}

// The path of folder command k in UTF-16: the true path of a sub-folder whose
// name the code page cannot hold, the ANSI path converted for every other.
std::wstring Handler::WideCommandPath(std::size_t k) const {
    const std::u16string_view truePath = commandPaths_.WidePath(k);
    return truePath.empty() ? AnsiToWide(commandPaths_.Path(k, folders_)) : std::wstring(truePath.begin(), truePath.end());
}

namespace {

// Items looked at from the end of a selection for its last folder: the
// shell's own answers (no disk access) and, without them, the disk's. The
// menu's cost must not grow with a selection of tens of thousands of items.
constexpr UINT kShellChecks = 4096;
constexpr UINT kDiskChecks = 16;

// The last selected folder by the shell's ID list (CFSTR_SHELLIDLIST): the
// parent folder answers each item's attributes from what it already knows.
// Empty when the data object offers no such list, or none of the items
// looked at is a file-system folder.
std::wstring LastFolderByIdList(IDataObject* dataObject) {
    FORMATETC format = {static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLIDLIST)), nullptr,
                        DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(dataObject->GetData(&format, &medium))) return {};
    std::wstring found;
    const SIZE_T size = GlobalSize(medium.hGlobal);
    if (const auto* ida = static_cast<const CIDA*>(GlobalLock(medium.hGlobal))) {
        // Offsets are checked against the block: the list comes from another program.
        const UINT count = size >= sizeof(CIDA) && ida->cidl < (size - sizeof(CIDA)) / sizeof(UINT) ? ida->cidl : 0;
        const auto item = [&](UINT i) {
            return ida->aoffset[i] < size ? reinterpret_cast<PCUIDLIST_RELATIVE>(
                                                reinterpret_cast<const BYTE*>(ida) + ida->aoffset[i])
                                          : nullptr;
        };
        ComPtr<IShellFolder> desktop, parent;
        const auto parentList = reinterpret_cast<PCIDLIST_ABSOLUTE>(item(0));
        if (count && parentList && SUCCEEDED(SHGetDesktopFolder(desktop.put()))) {
            if (ILIsEmpty(parentList)) {
                parent = std::move(desktop);
            } else {
                desktop->BindToObject(parentList, nullptr, IID_IShellFolder, parent.put_void());
            }
        }
        for (UINT i = count; parent && i > 0 && count - i < kShellChecks; --i) {
            auto child = reinterpret_cast<PCUITEMID_CHILD>(item(i));
            SFGAOF attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM;
            if (!child || FAILED(parent->GetAttributesOf(1, &child, &attributes)) ||
                (attributes & (SFGAO_FOLDER | SFGAO_FILESYSTEM)) != (SFGAO_FOLDER | SFGAO_FILESYSTEM)) {
                continue;
            }
            // The parent names its own item: SHGetPathFromIDList would bind to
            // the parent folder all over again. A path that does not fit
            // MAX_PATH is skipped like a file, never cut.
            STRRET name = {};
            wchar_t* path = nullptr;
            if (SUCCEEDED(parent->GetDisplayNameOf(child, SHGDN_FORPARSING, &name)) &&
                SUCCEEDED(StrRetToStrW(&name, child, &path))) {
                if (wcslen(path) < MAX_PATH) found = path;
                CoTaskMemFree(path);
            }
            if (!found.empty()) break;
        }
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return found;
}

// The last selected folder by the drop list (CF_HDROP), looking at a few
// items from the end. Each look scans the list from its start, so only a few
// are made; a name that does not fit MAX_PATH would come back cut short and
// name another folder, so it is skipped like a file.
std::wstring LastFolderByDropList(IDataObject* dataObject) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(dataObject->GetData(&format, &medium))) return {};
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    std::wstring found;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = count; i > 0 && count - i < kDiskChecks; --i) {
        const UINT length = DragQueryFileW(drop, i - 1, nullptr, 0);
        if (length == 0 || length > MAX_PATH) continue;
        wchar_t path[MAX_PATH + 1] = {};
        DragQueryFileW(drop, i - 1, path, MAX_PATH + 1);
        const DWORD attributes = GetFileAttributesW(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            found = path;
            break;
        }
    }
    ReleaseStgMedium(&medium);
    return found;
}

}  // namespace

// The folder whose background was clicked, or the last selected item that
// is a folder: all the menu and the add-folder dialog ever use. Paths are
// read in UTF-16, as the file system names them: read through the ANSI
// calls, a name the code page cannot hold would come back with "?" or a
// look-alike and could be stored.
void Handler::GatherSelection(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* dataObject) {
    if (pidlFolder && !dataObject) {
        wchar_t path[MAX_PATH + 1] = {};
        if (SHGetPathFromIDListW(pidlFolder, path)) AddSelected(path);
        return;
    }
    if (pidlFolder || !dataObject) return;
    std::wstring last = LastFolderByIdList(dataObject);
    if (last.empty()) last = LastFolderByDropList(dataObject);
    if (!last.empty()) AddSelected(last);
}

// Keeps the path in the ANSI code page, marked storable when the code page
// holds it exactly. A path longer than MAX_PATH bytes in that code page is
// skipped, as the ANSI calls would have failed on it.
void Handler::AddSelected(std::wstring_view path) {
    std::optional<std::string> exact = WideToAnsiExact(path);
    SelectedFolder folder{exact ? std::move(*exact) : WideToAnsiBest(path), exact.has_value(),
                          std::u16string(path.begin(), path.end())};
    if (folder.path.empty() || folder.path.size() > MAX_PATH) return;
    selection_.push_back(std::move(folder));
}

// IContextMenu

STDMETHODIMP Handler::GetCommandString(UINT_PTR idCmd, UINT type, UINT* /*reserved*/, CHAR* name, UINT cchMax) {
    return Guarded([&] {
        if (!Active()) return S_OK;
        const bool wideBuffer = (type & GCS_UNICODE) != 0;
        const bool writable = name && cchMax > 0;
        if (writable) {
            if (wideBuffer) {
                reinterpret_cast<wchar_t*>(name)[0] = L'\0';
            } else {
                name[0] = '\0';
            }
        }
        const unsigned offset =
            idCmd > std::numeric_limits<unsigned>::max() ? std::numeric_limits<unsigned>::max()
                                                          : static_cast<unsigned>(idCmd);
        const CommandStringReply reply = ReplyFor(offset, type, commandPaths_.size());
        if (reply.what == CommandStringReply::What::Invalid) return E_INVALIDARG;
        if (reply.what == CommandStringReply::What::Empty || !writable) return S_OK;

        // Every reply is cut to cchMax - 1 characters, never inside a character.
        if (reply.wide) {
            std::wstring text;
            switch (reply.what) {
            case CommandStringReply::What::String: text = LoadModuleStringW(reply.stringId); break;
            case CommandStringReply::What::IndexedVerb:
                text = LoadModuleStringW(kStrListVerb) + std::to_wstring(reply.index);
                break;
            default: text = WideCommandPath(reply.index); break;
            }
            const std::u16string_view units(reinterpret_cast<const char16_t*>(text.data()), text.size());
            const std::u16string_view cut = CutUtf16(units, cchMax - 1);
            wchar_t* out = reinterpret_cast<wchar_t*>(name);
            std::copy(cut.begin(), cut.end(), out);
            out[cut.size()] = L'\0';
        } else {
            std::string text;
            switch (reply.what) {
            case CommandStringReply::What::String: text = LoadModuleString(reply.stringId); break;
            case CommandStringReply::What::IndexedVerb:
                text = LoadModuleString(kStrListVerb) + std::to_string(reply.index);
                break;
            default: text = std::string(commandPaths_.Path(reply.index, folders_)); break;
            }
            const std::string_view cut = CutAtCharBoundary(text, cchMax - 1, SystemLeadBytes());
            std::copy(cut.begin(), cut.end(), name);
            name[cut.size()] = '\0';
        }
        return S_OK;
    });
}

// IContextMenu2: hosts that only know this interface deliver WM_INITMENUPOPUP
// here; sub-folder popups are refilled the same way as through HandleMenuMsg2.
STDMETHODIMP Handler::HandleMenuMsg(UINT msg, WPARAM wParam, LPARAM lParam) {
    return HandleMenuMsg2(msg, wParam, lParam, nullptr);
}

// IContextMenu3
STDMETHODIMP Handler::HandleMenuMsg2(UINT msg, WPARAM wParam, LPARAM /*lParam*/, LRESULT* /*result*/) {
    return Guarded([&] {
        if (Active() && msg == WM_INITMENUPOPUP) RefreshPopup(reinterpret_cast<HMENU>(wParam));
        return S_OK;
    });
}

}  // namespace wayleap::shellext
