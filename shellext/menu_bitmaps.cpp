// The three menu pictures, shared by every menu of the process.
#include "shellext/menu_bitmaps.h"

#include "shellext/module.h"
#include "shellext/resource_ids.h"

namespace wayleap::shellext {
namespace {

CRITICAL_SECTION g_lock;
MenuBitmapSet g_bitmaps;

HBITMAP Load(int id) { return LoadBitmapA(Module::Instance(), MAKEINTRESOURCEA(id)); }

}  // namespace

void InitMenuBitmapLock() { InitializeCriticalSection(&g_lock); }
void DeleteMenuBitmapLock() { DeleteCriticalSection(&g_lock); }

MenuBitmapSet AcquireMenuBitmaps() {
    EnterCriticalSection(&g_lock);
    if (!g_bitmaps.folder) g_bitmaps.folder = Load(IDB_FOLDER);
    if (!g_bitmaps.configure) g_bitmaps.configure = Load(IDB_CONFIGURE);
    if (!g_bitmaps.add) g_bitmaps.add = Load(IDB_ADD);
    const MenuBitmapSet bitmaps = g_bitmaps;
    LeaveCriticalSection(&g_lock);
    return bitmaps;
}

void ReleaseMenuBitmaps() {
    EnterCriticalSection(&g_lock);
    for (HBITMAP* bitmap : {&g_bitmaps.folder, &g_bitmaps.configure, &g_bitmaps.add}) {
        if (*bitmap) DeleteObject(*bitmap);
        *bitmap = nullptr;
    }
    LeaveCriticalSection(&g_lock);
}

}  // namespace wayleap::shellext
