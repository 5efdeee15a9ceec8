// SkipdoorCMH::InvokeCommand: the add and configure commands, and folder
// commands, which resolve the folder and send the window the menu was opened
// in there (shellext/navigation.cpp).
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "core/menu_plan.h"
#include "shellext/add_dialog.h"
#include "shellext/com_util.h"
#include "shellext/handler.h"
#include "shellext/module.h"
#include "shellext/navigation.h"
#include "shellext/resource_ids.h"

namespace wayleap::shellext {
namespace {

// The shell's allocator, the desktop folder and the folder's id list; all
// given back when the navigation ends, whichever way it ends.
struct ResolvedFolder {
    ComPtr<IMalloc> malloc;
    PIDLIST_ABSOLUTE pidl = nullptr;
    ~ResolvedFolder() {
        if (pidl && malloc) malloc->Free(pidl);
    }
};

enum class Resolution { Found, NotFound, Failed };

Resolution Resolve(HWND owner, std::wstring wide, ResolvedFolder& folder) {
    if (FAILED(SHGetMalloc(folder.malloc.put()))) return Resolution::Failed;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) return Resolution::Failed;

    // A path whose UTF-16 form does not fit MAX_PATH is not looked for.
    if (wide.empty() || wide.size() > MAX_PATH) return Resolution::NotFound;

    ULONG attributes = SFGAO_FOLDER | SFGAO_VALIDATE;
    PIDLIST_RELATIVE pidl = nullptr;
    if (FAILED(desktop->ParseDisplayName(owner, nullptr, &wide[0], nullptr, &pidl, &attributes)) || !pidl) {
        return Resolution::NotFound;
    }
    folder.pidl = static_cast<PIDLIST_ABSOLUTE>(pidl);
    return (attributes & SFGAO_FOLDER) ? Resolution::Found : Resolution::NotFound;
}

}  // namespace

STDMETHODIMP Handler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    return Guarded([&]() -> HRESULT {
        if (!Active()) return S_OK;
        if (!info || !info->hwnd) return E_INVALIDARG;
        // Verbs as strings are not accepted. An offset has nothing above its
        // low word; in 64-bit code HIWORD would look at bits 16-31 only and
        // take a string above 4 GiB for an offset.
        if (!IS_INTRESOURCE(info->lpVerb)) return E_INVALIDARG;
        const UINT_PTR verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
        const UINT offset = LOWORD(verb);
        HWND invoker = info->hwnd;

        if (offset == kOffsetAdd) {
            // A Unicode dialog, so that its name box holds whatever is typed
            // or pasted, and a name the code page cannot hold is seen and refused.
            DialogBoxParamW(Module::Instance(), MAKEINTRESOURCEW(IDD_ADD_FOLDER), invoker, AddFolderDialogProc,
                            reinterpret_cast<LPARAM>(this));
            return S_OK;
        }
        if (offset == kOffsetConfigure) return StartConfigurationProgram();
        if (offset < kFirstFolderOffset || offset - kFirstFolderOffset >= commandPaths_.size()) return E_INVALIDARG;
        // An entry whose variables lead to no folder here is not looked for
        // as written: its text is no path.
        if (commandPaths_.Missing(offset - kFirstFolderOffset)) {
            ShowModuleMessage(invoker, IDS_FOLDER_NOT_FOUND, IDS_ERROR_CAPTION, MB_ICONHAND);
            return E_FAIL;
        }
        FolderToShow folder;
        folder.path = std::string(commandPaths_.Path(offset - kFirstFolderOffset, folders_));
        // A sub-folder whose name the code page cannot hold goes by its true
        // path everywhere; `path` then only approximates it.
        folder.wideOnly = !commandPaths_.WidePath(offset - kFirstFolderOffset).empty();
        folder.widePath = WideCommandPath(offset - kFirstFolderOffset);

        ResolvedFolder resolved;
        switch (Resolve(invoker, folder.widePath, resolved)) {
        case Resolution::Failed: return E_FAIL;
        case Resolution::NotFound:
            ShowModuleMessage(invoker, IDS_FOLDER_NOT_FOUND, IDS_ERROR_CAPTION, MB_ICONHAND);
            return E_FAIL;
        case Resolution::Found: break;
        }
        folder.pidl = resolved.pidl;
        return Navigate(invoker, site_.get(), folder, timerDelay_);
    });
}

// Starts Wayleap.exe from the DLL's directory, without arguments, and does not wait.
HRESULT Handler::StartConfigurationProgram() {
    const std::string& program = Module::ProgramPath();
    if (program.empty()) return E_FAIL;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return E_FAIL;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return S_OK;
}

}  // namespace wayleap::shellext
