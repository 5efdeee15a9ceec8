// Where stored entry paths lead in this process: their environment variables
// expanded by the system, as every program on Windows expands them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/entry_path.h"
#include "core/folder_list.h"

namespace wayleap {

// The system's expansion (ExpandEnvironmentStringsW) and the ANSI code page.
extern const PathSystem kWindowsPaths;

// Where one stored path leads here.
EntryPlace PlaceHere(std::string_view stored);

// Where each entry leads here, by index; empty when no entry names a
// variable (every entry leads to its stored path), which costs one scan.
std::vector<EntryPlace> PlacesHere(const std::vector<FolderEntryView>& folders);

}  // namespace wayleap
