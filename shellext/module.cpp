// Process-wide state of SkipdoorCM.dll.
#include "shellext/module.h"

#include <utility>

#include "core/ansi_text.h"
#include "shellext/resource_ids.h"
#include "win/code_page.h"
#include "win/module_file.h"

namespace wayleap::shellext {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_lockCount = 0;
LONG g_liveHandlers = 0;
std::string* g_directory = nullptr;
std::string* g_dataFilePath = nullptr;
std::string* g_programPath = nullptr;

constexpr std::size_t kProgramPathChars = 264;

// At namespace scope, as every static of the DLL: a function's own static
// would take the thread runtime's once-lock (see SystemLeadBytes).
const std::string g_empty;

}  // namespace

void Module::Attach(HINSTANCE instance) {
    g_instance = instance;
    const std::string name = ModuleFileName(instance);
    // Plain pointers, freed by Detach when the DLL is unloaded: nothing
    // depends on the order of static destruction.
    g_dataFilePath = new std::string(
        DataFilePathFor(name, LoadStringFrom(instance, IDS_DATA_FILE), SystemLeadBytes(), MAX_PATH));
    std::string directory;
    if (name.size() <= MAX_PATH) {
        const std::size_t slash = FindLastBackslash(name, SystemLeadBytes());
        if (slash != std::string::npos) directory = name.substr(0, slash + 1);
    }
    g_directory = new std::string(directory);
    std::string program = directory + "Wayleap.exe";
    if (directory.empty() || program.size() + 1 > kProgramPathChars) program.clear();
    g_programPath = new std::string(program);
}

void Module::Detach() {
    delete std::exchange(g_dataFilePath, nullptr);
    delete std::exchange(g_directory, nullptr);
    delete std::exchange(g_programPath, nullptr);
}

HINSTANCE Module::Instance() { return g_instance; }
const std::string& Module::Directory() { return g_directory ? *g_directory : g_empty; }
const std::string& Module::DataFilePath() { return g_dataFilePath ? *g_dataFilePath : g_empty; }
const std::string& Module::ProgramPath() { return g_programPath ? *g_programPath : g_empty; }

void Module::Lock() { InterlockedIncrement(&g_lockCount); }
void Module::Unlock() { InterlockedDecrement(&g_lockCount); }
LONG Module::LockCount() { return InterlockedCompareExchange(&g_lockCount, 0, 0); }

LONG Module::HandlerCreated() {
    LONG count = InterlockedIncrement(&g_liveHandlers);
    if (count <= 0) {
        InterlockedExchange(&g_liveHandlers, 1);
        count = 1;
    }
    return count;
}

void Module::HandlerDestroyed() {
    if (InterlockedDecrement(&g_liveHandlers) < 0) InterlockedExchange(&g_liveHandlers, 0);
}

std::string LoadModuleString(UINT id) { return LoadStringFrom(g_instance, id); }

std::wstring LoadModuleStringW(UINT id) {
    wchar_t buffer[256] = {};
    const int length = LoadStringW(g_instance, id, buffer, 256);
    return length > 0 ? std::wstring(buffer, static_cast<std::size_t>(length)) : std::wstring();
}

void ShowModuleMessage(HWND owner, UINT textId, UINT captionId, UINT style) {
    ShowStringTableMessage(g_instance, owner, textId, captionId, style);
}

}  // namespace wayleap::shellext
