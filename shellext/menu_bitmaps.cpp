// The three menu pictures, shared by every menu of the process, in the size
// each menu's check-mark area has.
#include "shellext/menu_bitmaps.h"

#include "core/menu_pictures.h"
#include "shellext/module.h"
#include "shellext/resource_ids.h"
#include "win/dpi.h"

namespace wayleap::shellext {
namespace {

// A few sizes at once (monitors of different scales, a scale changed while
// the shell runs); beyond that, the nearest size made serves.
constexpr int kSizesKept = 4;

struct SizedSet {
    SIZE size = {0, 0};
    MenuBitmapSet bitmaps;
};

CRITICAL_SECTION g_lock;
SizedSet g_sets[kSizesKept];

// The picture `id` drawn at the size that serves `size`: loaded as it is
// when it fits exactly, else scaled with halftone into a bitmap of that size.
// Null when it cannot be made: the item then shows no picture.
HBITMAP Make(int id, SIZE size) {
    const int drawn = DrawnPictureFor(size.cx > size.cy ? size.cx : size.cy);
    HINSTANCE module = Module::Instance();
    HBITMAP source = LoadBitmapA(module, MAKEINTRESOURCEA(id + drawn * IDB_SIZE_STEP));
    const int side = kPictureSizes[drawn];
    if (!source || (size.cx == side && size.cy == side)) return source;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HBITMAP scaled = CreateCompatibleBitmap(screen, size.cx, size.cy);
    if (from && to && scaled) {
        HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, scaled);
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        StretchBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, side, side, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    ReleaseDC(nullptr, screen);
    DeleteObject(source);
    return scaled;
}

void Delete(MenuBitmapSet& set) {
    for (HBITMAP* bitmap : {&set.folder, &set.configure, &set.add}) {
        if (*bitmap) DeleteObject(*bitmap);
        *bitmap = nullptr;
    }
}

}  // namespace

void InitMenuBitmapLock() { InitializeCriticalSection(&g_lock); }
void DeleteMenuBitmapLock() { DeleteCriticalSection(&g_lock); }

SIZE MenuCheckSize() {
    // Looked up by name: Windows 10 1607 and later have them.
    using ForDpi = int(WINAPI*)(int, UINT);
    using ThreadContext = HANDLE(WINAPI*)();
    using Awareness = int(WINAPI*)(HANDLE);
    constexpr int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
    HMODULE user = GetModuleHandleA("user32.dll");
    const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void*>(GetProcAddress(user, "GetSystemMetricsForDpi")));
    const auto context =
        reinterpret_cast<ThreadContext>(reinterpret_cast<void*>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
    const auto awareness = reinterpret_cast<Awareness>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
    if (forDpi && context && awareness && awareness(context()) == kPerMonitorAware) {
        const UINT dpi = WindowDpi(GetForegroundWindow());
        return {forDpi(SM_CXMENUCHECK, static_cast<int>(dpi)), forDpi(SM_CYMENUCHECK, static_cast<int>(dpi))};
    }
    return {GetSystemMetrics(SM_CXMENUCHECK), GetSystemMetrics(SM_CYMENUCHECK)};
}

MenuBitmapSet AcquireMenuBitmaps(SIZE size) {
    EnterCriticalSection(&g_lock);
    SizedSet* set = nullptr;
    for (SizedSet& kept : g_sets) {
        if (!set && ((kept.size.cx == size.cx && kept.size.cy == size.cy) || !kept.size.cx)) set = &kept;
    }
    if (set && !set->size.cx) {
        set->size = size;
        set->bitmaps = {Make(IDB_FOLDER, size), Make(IDB_CONFIGURE, size), Make(IDB_ADD, size)};
    }
    if (!set) {  // every place taken: the nearest size made
        set = &g_sets[0];
        for (SizedSet& kept : g_sets) {
            if (abs(kept.size.cx - size.cx) < abs(set->size.cx - size.cx)) set = &kept;
        }
    }
    const MenuBitmapSet bitmaps = set->bitmaps;
    LeaveCriticalSection(&g_lock);
    return bitmaps;
}

void ReleaseMenuBitmaps() {
    EnterCriticalSection(&g_lock);
    for (SizedSet& kept : g_sets) {
        Delete(kept.bitmaps);
        kept.size = {0, 0};
    }
    LeaveCriticalSection(&g_lock);
}

}  // namespace wayleap::shellext
