// SkipdoorCMH: the handler object the shell makes for each context menu on a
// folder or a folder background. It records the selection, loads the settings
// and the folder list, builds the menu items, answers help-text and verb
// requests, and refills sub-folder popups while the menu is open.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/folder_list.h"
#include "core/menu_plan.h"
#include "shellext/com_util.h"
#include "shellext/menu_bitmaps.h"
#include "skipdoorcm.h"
#include "win/list_file_io.h"

namespace wayleap::shellext {

// Makes a handler object and returns the interface asked for (the factory's
// CreateInstance without an outer object).
HRESULT CreateHandler(REFIID riid, void** ppv);

// A folder the menu was opened on. Its path as the rest of the handler uses
// it, in the ANSI code page: the path exactly when the code page holds it
// (storable), otherwise only the best look-alike the code page can give,
// which names no folder or another one: it is never stored.
struct SelectedFolder {
    std::string path;
    bool storable = true;
    std::u16string wide;  // the true path
};

// A sub-folder popup that could be listed: what it needs to be refilled.
struct SubMenuRecord {
    HMENU popup = nullptr;
    UINT firstId = 0;  // id of "<This Folder>"; the sub-folders follow it
    HBITMAP bitmap = nullptr;
    std::vector<SubfolderName> names;
};

class Handler final : public ISkipdoorCMH, public IShellExtInit, public IContextMenu3, public IObjectWithSite {
public:
    Handler();
    ~Handler();
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* dataObject, HKEY progId) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, CHAR* name, UINT cchMax) override;

    // IContextMenu2
    STDMETHODIMP HandleMenuMsg(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // IContextMenu3
    STDMETHODIMP HandleMenuMsg2(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // IObjectWithSite: the view gives its site, through which its browser is reached.
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppv) override;

    // For the add-folder dialog: what Initialize found (the clicked folder,
    // or the last selected item that is a folder), the list it read, and the
    // bytes its save wrote.
    const std::vector<SelectedFolder>& Selection() const { return selection_; }
    FolderList LoadedFolders() const;
    // The file's bytes as read (or as last saved); empty when there was none.
    const std::string& ListBytes() const { return listBytes_; }
    void FoldersSaved(std::string bytes);  // the bytes the save wrote
    LoadStatus FolderListStatus() const { return loadStatus_; }

private:
    bool Active() const { return instanceNumber_ == 1; }
    void GatherSelection(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* dataObject);
    void AddSelected(std::wstring_view path);
    std::wstring WideCommandPath(std::size_t k) const;
    HRESULT RefreshPopup(HMENU popup);
    HRESULT StartConfigurationProgram();

    LONG refs_ = 0;
    UINT timerDelay_ = 1;  // elapse of the file-dialog restore timer, in ms
    LONG instanceNumber_ = 0;
    bool initialised_ = false;
    std::vector<SelectedFolder> selection_;
    CommandPaths commandPaths_;  // element k: command offset 8 + k
    std::map<UINT_PTR, SubMenuRecord> subMenus_;  // by popup handle
    // The folder list as read: the file's bytes and each entry's name and
    // path in them (a menu of a thousand entries copies none of them).
    std::string listBytes_;
    std::vector<FolderEntryView> folders_;
    // Where each entry leads here; empty when no stored path names a variable.
    std::vector<EntryPlace> places_;
    LoadStatus loadStatus_ = LoadStatus::Missing;
    bool useSubMenu_ = true;
    BOOL showHidden_ = FALSE;
    MenuBitmapSet bitmaps_;  // shared pictures; not owned
    ComPtr<IUnknown> site_;  // the view's site, from SetSite until SetSite(NULL)
};

}  // namespace wayleap::shellext
