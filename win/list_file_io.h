// FolderList.dat on disk: where it is, loading it, and saving it safely.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/folder_list.h"

namespace wayleap {

// The data-file path of a module: its own directory followed by the file name
// in its string table entry `fileNameId`. Empty when the module name cannot
// be read, the string is missing, or the result does not fit in MAX_PATH; an
// empty path makes every later load and save fail cleanly.
std::string ModuleDataFilePath(HMODULE module, UINT fileNameId);

// What a load found. Callers that save must not save over a file whose load
// was Unreadable or Partial: that would destroy entries they never saw.
enum class LoadStatus {
    Loaded,      // the whole file was read (it may hold no entry)
    Missing,     // no file (or no directory): an empty list that may be saved
    Unreadable,  // the file exists but could not be opened or read (for
                 // instance while another program writes it); list unchanged
    Partial,     // only part of the file was taken in (a line over the limit,
                 // more than 64 KiB, text after a zero byte); list holds that part
};

// Reads the file at `path` and appends its entries to `list`. The file is
// opened for reading, shared with other readers only. `read` (when given)
// receives the file's bytes as read (empty when there is no file), which a
// later save compares with what the file holds then.
LoadStatus LoadFolderList(const std::string& path, FolderList& list, std::string* read = nullptr);

// The same, for reading in place: `bytes` receives the file and `entries`
// views into it (replacing what both held), valid while `bytes` is unchanged.
LoadStatus LoadFolderListViews(const std::string& path, std::string& bytes, std::vector<FolderEntryView>& entries);

// True when a list loaded with this status may be saved back over the file.
inline bool MaySaveOver(LoadStatus status) {
    return status == LoadStatus::Loaded || status == LoadStatus::Missing;
}

enum class SaveStatus {
    Saved,
    Busy,          // another program has the file open; it is left as it was
    InvalidEntry,  // an entry cannot be stored (blank name, line break, over-long path...)
    TooLarge,      // the file would be larger than a load reads
    Failed,        // the directory cannot be written, the disk is full, no path...
    Changed,       // the file no longer holds what the saver read; it is left as it was
};

// Replaces the file at `path` with `list`. The whole list is written to a
// temporary file in the same directory first and then moved over the file,
// so the file always holds either the old list or the new one, complete. On
// any failure the old file stays as it was and the temporary file is removed.
//
// With `expected` (the bytes a load read; empty for no file), the save happens
// only while the file still holds exactly those bytes: another program's
// change since then is never overwritten unasked (Changed). The file is
// compared while it is held open exclusively, just before it is replaced.
// When Saved, `written` (when given) receives the bytes the file now holds:
// what a later save expects.
SaveStatus SaveFolderList(const std::string& path, const FolderList& list, const std::string* expected = nullptr,
                          std::string* written = nullptr);

}  // namespace wayleap
