// Wayleap.exe: the configuration program. No window of its own: it shows the
// configuration sheet and ends when the sheet closes. For scripts it exports
// or imports the folder list instead, shows nothing and tells the outcome in
// its exit code and one line of text.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <vector>

#include "config/config_app.h"
#include "config/list_exchange.h"
#include "config/resource_ids.h"
#include "core/program_command.h"
#include "win/list_file_io.h"

namespace {

wayleap::ProgramCommand CommandOfThisRun() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> args;
    for (int i = 1; argv && i < count; ++i) {
        const std::wstring arg = argv[i];
        args.emplace_back(arg.begin(), arg.end());
    }
    LocalFree(argv);
    return wayleap::ParseProgramArguments(args);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::string dataFilePath = wayleap::ModuleDataFilePath(instance, IDS_DATA_FILE);
    const wayleap::ProgramCommand command = CommandOfThisRun();
    if (command.kind != wayleap::ProgramCommand::Kind::ShowSheet) {
        wayleap::config::UseResourceModule(instance);
        return wayleap::config::RunProgramCommand(command, dataFilePath);
    }
    OleInitialize(nullptr);  // the folder browser needs COM
    {
        wayleap::config::ProgramState state;
        state.module = instance;
        state.dataFilePath = dataFilePath;
        wayleap::config::ShowConfigurationSheet(state);
    }
    OleUninitialize();
    return 0;
}
