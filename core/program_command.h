// What Wayleap.exe is asked to do by its command line: show the
// configuration sheet, or export or import the folder list for a script.
#pragma once

#include <string>
#include <vector>

namespace wayleap {

struct ProgramCommand {
    enum class Kind { ShowSheet, Export, Import, Usage };
    Kind kind = Kind::ShowSheet;
    std::u16string file;
    bool append = false;  // Import: add the file's new entries instead of replacing the list
};

// The arguments after the program's name. None: the sheet. "/export FILE",
// "/import FILE" and "/import FILE /append" (switches in any case, with "/"
// or "-"); anything else: Usage, which shows nothing and tells how.
ProgramCommand ParseProgramArguments(const std::vector<std::u16string>& args);

}  // namespace wayleap
