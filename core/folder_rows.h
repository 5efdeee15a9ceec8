// The Folders page and its Add and Modify dialogs as decisions on plain data:
// the four cell texts of a row, the rebuild of the folder list from the rows,
// which rows Up, Down and Delete exchange or remove, the delete question, and
// which typed names and paths are taken. The Windows side reads the list view
// into these types and carries out what they say.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ansi_text.h"
#include "core/folder_list.h"

namespace wayleap {

// Name and path are read back from rows and fields through 261-byte buffers.
inline constexpr std::size_t kMaxFieldBytes = 260;

// The four cell texts of one row of the folder list view, columns 0 to 3.
struct FolderRow {
    std::string name;
    std::string path;
    std::string expand;  // "Yes" or "No"
    std::string sort;    // "Yes" or "No"

    friend bool operator==(const FolderRow& a, const FolderRow& b) {
        return a.name == b.name && a.path == b.path && a.expand == b.expand && a.sort == b.sort;
    }
    friend bool operator!=(const FolderRow& a, const FolderRow& b) { return !(a == b); }
};

// "Yes" for true, "No" for false.
const char* FlagText(bool flag);

// True exactly for "Yes" (byte for byte: "yes" or "Yes " is false).
bool FlagFromText(std::string_view text);

// A row or field text as a 261-byte read buffer gives it back: at most
// kMaxFieldBytes bytes, never ending inside a double-byte character.
std::string_view FieldText(std::string_view text, const LeadBytes& lead);

FolderRow RowFromEntry(const FolderEntry& entry);

// The folder list rebuilt from the rows top to bottom, as Apply does: name and
// path as read (FieldText, not trimmed), each flag true exactly when its cell
// reads "Yes". Nothing is dropped or checked here; the save refuses a list it
// could not read back whole.
FolderList ListFromRows(const std::vector<FolderRow>& rows, const LeadBytes& lead);

// One exchange of two rows' texts and selected states: {unselected row,
// selected row}. The two are always neighbours.
using RowSwap = std::pair<std::size_t, std::size_t>;

// The exchanges of Up, in the order they are made, for the rows' selected
// states. The walk goes from the first row down, keeping an anchor: an
// unselected row becomes the anchor; a selected row is exchanged with the
// anchor, whose place it takes, and its old index becomes the anchor; a
// selected row with no anchor yet stays. So every selected row passes the
// nearest unselected row above it, and a selected block at the top stays.
// Empty when nothing moves (Apply is then not enabled).
std::vector<RowSwap> SwapsForUp(const std::vector<bool>& selected);

// The mirror image of SwapsForUp: the walk goes from the last row up.
std::vector<RowSwap> SwapsForDown(const std::vector<bool>& selected);

// Makes the exchanges on `rows` (row contents, selected states, anything
// kept per row).
template <typename T>
void ApplySwaps(std::vector<T>& rows, const std::vector<RowSwap>& swaps) {
    for (const RowSwap& s : swaps) {
        T kept = std::move(rows.at(s.first));
        rows.at(s.first) = std::move(rows.at(s.second));
        rows.at(s.second) = std::move(kept);
    }
}

// The indices that Delete removes, in order, each as the rows stand when that
// row is removed (the walk from index 0 that deletes a selected row and stays,
// or passes an unselected one). Selected rows 1 and 3 give {1, 2}.
std::vector<std::size_t> RowsToDelete(const std::vector<bool>& selected);

// Removes rows in the order RowsToDelete gives.
template <typename T>
void ApplyDeletions(std::vector<T>& rows, const std::vector<std::size_t>& deletions) {
    for (std::size_t index : deletions) rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
}

// The question Delete asks for `count` selected rows: empty for none (nothing
// is asked), `oneText` for one, else `manyTemplate` with its first "%d"
// replaced by the count in decimal (a template without "%d" as it is).
std::string DeleteQuestion(std::size_t count, const std::string& oneText, const std::string& manyTemplate);

// The Folders page's column widths in pixels for a list view of
// `clientWidth` at `dpi`: Name, Expand and Sort keep their widths at 96 dpi
// (80, 48, 35) scaled, but never narrower than their header's text plus
// kHeaderPadding; Path takes what is left, and at least its own header.
inline constexpr int kHeaderPadding = 12;
std::array<int, 4> ColumnWidths(int clientWidth, int dpi, const std::array<int, 4>& headerTextWidths);

// Appends the imported entries as rows, but those whose path (byte for byte)
// a row already has, or an entry appended before them; returns how many were
// passed over.
std::size_t AppendUnlisted(std::vector<FolderRow>& rows, const FolderList& imported);

// Whether an in-place rename keeps `newName`, taken exactly as typed (not
// trimmed). Refused: a name that is empty or blank (spaces and tabs) once cut
// to kMaxFieldBytes, and a name with CR or LF, which the file cannot hold.
bool AcceptsNewName(std::string_view newName, const LeadBytes& lead);

// What keeps a dialog from taking its fields. The dialog shows the message
// for the first problem and puts the focus on that field.
enum class FieldProblem {
    None,
    EmptyName,              // Add: the name field holds nothing; the focus goes back, no message
    BlankName,              // only spaces and tabs (Modify: also nothing at all)
    BlankPath,              // Modify: only spaces and tabs, or nothing
    NameHasLineBreak,       // CR or LF in the name
    PathHasLineBreakOrBar,  // Modify: CR, LF or the field separator "|" in the path
};

// The Modify dialog's fields, given as read from the controls (untrimmed);
// they are judged as the dialog stores them, after TrimBlanks. Checked in
// this order: blank name, blank path, line break in the name, line break or
// "|" in the path. A "|" that is the trail byte of a double-byte character
// is part of that character, not a separator.
FieldProblem CheckModifyFields(std::string_view name, std::string_view path, const LeadBytes& lead);

// The Add dialog's name field as read (untrimmed): EmptyName, BlankName,
// NameHasLineBreak or None. The path comes from the folder browser and is
// taken as chosen.
FieldProblem CheckAddName(std::string_view name);

}  // namespace wayleap
