// Wayleap.exe: the configuration program. No window of its own: it shows the
// configuration sheet and ends when the sheet closes.
#include <windows.h>
#include <ole2.h>

#include "config/config_app.h"
#include "config/resource_ids.h"
#include "win/list_file_io.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    OleInitialize(nullptr);  // the folder browser needs COM
    {
        wayleap::config::ProgramState state;
        state.module = instance;
        state.dataFilePath = wayleap::ModuleDataFilePath(instance, IDS_DATA_FILE);
        wayleap::config::ShowConfigurationSheet(state);
    }
    OleUninitialize();
    return 0;
}
