// What Wayleap.exe's command line asks for.
#include "core/program_command.h"

namespace wayleap {
namespace {

// "/name" or "-name", the name in any case (ASCII letters only).
bool IsSwitch(const std::u16string& arg, const char* name) {
    if (arg.size() < 2 || (arg[0] != u'/' && arg[0] != u'-')) return false;
    std::size_t i = 1;
    for (; i < arg.size() && name[i - 1]; ++i) {
        const char16_t c = arg[i] >= u'A' && arg[i] <= u'Z' ? static_cast<char16_t>(arg[i] - u'A' + u'a') : arg[i];
        if (c != static_cast<char16_t>(name[i - 1])) return false;
    }
    return i == arg.size() && !name[i - 1];
}

}  // namespace

ProgramCommand ParseProgramArguments(const std::vector<std::u16string>& args) {
    using Kind = ProgramCommand::Kind;
    ProgramCommand command;
    if (args.empty()) return command;
    const bool exporting = IsSwitch(args[0], "export"), importing = IsSwitch(args[0], "import");
    const bool append = args.size() == 3 && importing && IsSwitch(args[2], "append");
    if (!(exporting || importing) || args.size() < 2 || args[1].empty() || (args.size() == 3 && !append) ||
        args.size() > 3) {
        command.kind = Kind::Usage;
        return command;
    }
    command.kind = exporting ? Kind::Export : Kind::Import;
    command.file = args[1];
    command.append = append;
    return command;
}

}  // namespace wayleap
