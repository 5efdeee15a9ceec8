// The Folders page and its Add and Modify dialogs as decisions on plain data.
#include "core/folder_rows.h"

#include <algorithm>
#include <optional>
#include <set>

namespace wayleap {

namespace {

constexpr std::string_view kYes = "Yes";
constexpr std::string_view kNo = "No";

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

const char* FlagText(bool flag) { return flag ? kYes.data() : kNo.data(); }

bool FlagFromText(std::string_view text) { return text == kYes; }

std::string_view FieldText(std::string_view text, const LeadBytes& lead) {
    return CutAtCharBoundary(text, kMaxFieldBytes, lead);
}

FolderRow RowFromEntry(const FolderEntry& entry) {
    return FolderRow{entry.name, entry.path, FlagText(entry.expand), FlagText(entry.sort)};
}

FolderList ListFromRows(const std::vector<FolderRow>& rows, const LeadBytes& lead) {
    FolderList list;
    list.Reserve(rows.size());
    for (const FolderRow& row : rows) {
        list.Append(FolderEntry{std::string(FieldText(row.name, lead)), std::string(FieldText(row.path, lead)),
                                FlagFromText(row.expand), FlagFromText(row.sort)});
    }
    return list;
}

namespace {

// The anchor walk behind Up (from the top) and Down (from the bottom): an
// unselected row becomes the anchor; a selected row with an anchor changes
// places with it, and its old place - now holding the unselected row that
// moved past it - becomes the anchor.
std::vector<RowSwap> AnchorWalk(const std::vector<bool>& selected, bool fromTop) {
    std::vector<RowSwap> swaps;
    std::optional<std::size_t> anchor;
    const std::size_t count = selected.size();
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t i = fromTop ? step : count - 1 - step;
        if (!selected[i]) {
            anchor = i;
        } else if (anchor) {
            swaps.emplace_back(*anchor, i);
            anchor = i;
        }
    }
    return swaps;
}

}  // namespace

std::vector<RowSwap> SwapsForUp(const std::vector<bool>& selected) { return AnchorWalk(selected, true); }

std::vector<RowSwap> SwapsForDown(const std::vector<bool>& selected) { return AnchorWalk(selected, false); }

std::vector<std::size_t> RowsToDelete(const std::vector<bool>& selected) {
    std::vector<std::size_t> deletions;
    std::size_t index = 0;  // where the row stands once the earlier ones are gone
    for (bool isSelected : selected) {
        if (isSelected) {
            deletions.push_back(index);
        } else {
            ++index;
        }
    }
    return deletions;
}

std::string DeleteQuestion(std::size_t count, const std::string& oneText, const std::string& manyTemplate) {
    if (count == 0) return {};
    if (count == 1) return oneText;
    std::string question = manyTemplate;
    const std::size_t at = question.find("%d");
    if (at != std::string::npos) question.replace(at, 2, std::to_string(count));
    return question;
}

std::array<int, 4> ColumnWidths(int clientWidth, int dpi, const std::array<int, 4>& headerTextWidths) {
    constexpr int kAt96[4] = {80, 0, 48, 35};
    std::array<int, 4> widths{};
    for (int i : {0, 2, 3}) widths[i] = std::max((kAt96[i] * dpi + 48) / 96, headerTextWidths[i] + kHeaderPadding);
    widths[1] = std::max(clientWidth - widths[0] - widths[2] - widths[3], headerTextWidths[1] + kHeaderPadding);
    return widths;
}

std::size_t AppendUnlisted(std::vector<FolderRow>& rows, const FolderList& imported) {
    std::set<std::string> listed;
    for (const FolderRow& row : rows) listed.insert(row.path);
    std::size_t skipped = 0;
    for (const FolderEntry& entry : imported) {
        if (listed.insert(entry.path).second) {
            rows.push_back(RowFromEntry(entry));
        } else {
            ++skipped;
        }
    }
    return skipped;
}

bool AcceptsNewName(std::string_view newName, const LeadBytes& lead) {
    if (HasLineBreak(newName)) return false;
    return !TrimBlanksView(FieldText(newName, lead)).empty();
}

FieldProblem CheckModifyFields(std::string_view name, std::string_view path, const LeadBytes& lead) {
    const std::string_view trimmedName = TrimBlanksView(name);
    const std::string_view trimmedPath = TrimBlanksView(path);
    if (trimmedName.empty()) return FieldProblem::BlankName;
    if (trimmedPath.empty()) return FieldProblem::BlankPath;
    if (HasLineBreak(trimmedName)) return FieldProblem::NameHasLineBreak;
    if (HasLineBreak(trimmedPath) || FindChar(trimmedPath, '|', lead) != std::string_view::npos) {
        return FieldProblem::PathHasLineBreakOrBar;
    }
    return FieldProblem::None;
}

FieldProblem CheckAddName(std::string_view name) {
    if (name.empty()) return FieldProblem::EmptyName;
    const std::string_view trimmed = TrimBlanksView(name);
    if (trimmed.empty()) return FieldProblem::BlankName;
    if (HasLineBreak(trimmed)) return FieldProblem::NameHasLineBreak;
    return FieldProblem::None;
}

}  // namespace wayleap
