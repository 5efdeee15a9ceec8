// The Folders page and its Add and Modify dialogs as decisions on plain data.
#include "core/folder_rows.h"

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

std::vector<RowSwap> SwapsForUp(const std::vector<bool>& selected) {
    std::vector<RowSwap> swaps;
    bool haveAnchor = false;
    std::size_t anchor = 0;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (!selected[i]) {
            haveAnchor = true;
            anchor = i;
        } else if (haveAnchor) {
            swaps.emplace_back(anchor, i);
            anchor = i;  // now holds the unselected row that moved down
        }
    }
    return swaps;
}

std::vector<RowSwap> SwapsForDown(const std::vector<bool>& selected) {
    std::vector<RowSwap> swaps;
    bool haveAnchor = false;
    std::size_t anchor = 0;
    for (std::size_t i = selected.size(); i-- > 0;) {
        if (!selected[i]) {
            haveAnchor = true;
            anchor = i;
        } else if (haveAnchor) {
            swaps.emplace_back(anchor, i);
            anchor = i;  // now holds the unselected row that moved up
        }
    }
    return swaps;
}

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
