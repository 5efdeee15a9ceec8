// The FolderList.dat format: two lines per entry (name; path|expand|sort),
// parsed from bytes and written to bytes. File I/O lives on the Windows side.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/ansi_text.h"
#include "core/folder_list.h"

namespace wayleap {

// Only this many bytes of the file are ever parsed.
inline constexpr std::size_t kMaxFileBytes = 65536;
// Longest name line, measured before trimming.
inline constexpr std::size_t kMaxNameLineBytes = 260;
// Longest data line: a path of up to 260 bytes plus "|x|y".
inline constexpr std::size_t kMaxDataLineBytes = 264;
inline constexpr std::size_t kMaxPathBytes = 260;

// Why a parse did not take in the whole file. Anything but Complete means a
// save of the parsed list would lose stored entries.
enum class ParseStop {
    Complete,
    LongLine,      // a line over its limit ended the reading
    SizeLimit,     // the file is longer than kMaxFileBytes
    TextAfterNul,  // a zero byte ended the text, and more text follows it
};

// Appends the entries found in `bytes` to `list` and tells whether all of
// `bytes` was taken in. Lines end at any run of CR and LF; names and data
// lines are trimmed of outer blanks; flags are true only for exactly "1";
// records with an empty name or path are dropped.
ParseStop ParseFolderList(std::string_view bytes, const LeadBytes& lead, FolderList& list);

// The same entries as views into `bytes`, which must outlive them.
ParseStop ParseFolderListViews(std::string_view bytes, const LeadBytes& lead, std::vector<FolderEntryView>& entries);

// What keeps an entry from being written so that it reads back the same.
enum class EntryProblem {
    None,
    BlankName,      // empty or only blanks: the name line would vanish
    NameTooLong,    // over kMaxNameLineBytes
    BadCharInName,  // CR, LF or NUL
    EmptyPath,      // empty or only blanks before the first "|"
    PathTooLong,    // over kMaxPathBytes
    BadCharInPath,  // CR, LF, NUL or "|", a leading blank, or a lead byte
                    // without its trail byte at the end
};

// Why bytes are not a whole, valid list for an import: the reader would
// pass over, drop or misread some of it, or there is nothing to import.
enum class ListFileProblem {
    None,
    Empty,       // no entry at all
    TooLarge,    // more than kMaxFileBytes
    NotText,     // a control character (a zero byte, for one): not a text file
    NameLine,    // a name line that is blank or too long
    DataLine,    // a data line that is not "path|x|y" with x and y 0 or 1, or too long
    NoDataLine,  // the last name line has no data line after it
};

struct ListFileCheck {
    ListFileProblem problem = ListFileProblem::None;
    std::size_t line = 0;  // the line that is wrong, from 1 (every CR LF, LF or CR ends one)
};

// Whether the reader takes in every entry of `bytes` exactly as written.
// Empty lines are passed over, as the reader passes them over.
ListFileCheck CheckListFile(std::string_view bytes, const LeadBytes& lead);

EntryProblem CheckStorable(const FolderEntry& entry, const LeadBytes& lead);

enum class SerializeStatus {
    Ok,
    BadEntry,  // an entry fails CheckStorable; see badEntry and problem
    TooLarge,  // the file would exceed kMaxFileBytes and could not be read back whole
};

struct Serialized {
    SerializeStatus status = SerializeStatus::Ok;
    std::size_t badEntry = 0;
    EntryProblem problem = EntryProblem::None;
    std::string bytes;  // the whole file when status is Ok, else empty
};

// The file content for `list`: per entry the name, LF, the path, "|", the
// expand digit, "|", the sort digit, LF. Nothing is produced unless every
// entry can be read back and the whole file fits the reader's limit.
Serialized SerializeFolderList(const FolderList& list, const LeadBytes& lead);

}  // namespace wayleap
