// Fuzzes the list-file parser. Besides crashes and sanitizer reports it checks
// that the views parser, which the menu reads the file with, finds the same
// entries as views into the file's bytes and stops for the same reason, and
// the round trip: a list that parsed completely and can be written must read
// back from its own bytes as the same list, completely.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "core/list_file.h"
#include "tests/fuzz/fuzz_support.h"

using namespace wayleap;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte chooses the code page, so double-byte stepping is fuzzed too.
    const LeadBytes lead = (size > 0 && (data[0] & 1)) ? LeadBytes::ShiftJis() : LeadBytes();

    FolderList list;
    std::vector<FolderEntryView> views;
    const ParseStop stop = ParseFolderList(bytes, lead, list);
    Check(ParseFolderListViews(bytes, lead, views) == stop && views.size() == list.Count(),
          "the views parser stops elsewhere or finds another number of entries");
    const std::less<const void*> before;
    auto inside = [&](std::string_view v) { return !before(v.data(), data) && !before(data + size, v.data() + v.size()); };
    for (std::size_t i = 0; i < views.size(); ++i) {
        Check(views[i].ToEntry() == list.At(i), "the views parser finds another entry");
        Check(inside(views[i].name) && inside(views[i].path), "an entry's view lies outside the file's bytes");
        Check(!views[i].name.empty() && !views[i].path.empty(), "an entry with an empty name or path was kept");
    }

    const Serialized written = SerializeFolderList(list, lead);
    if (written.status != SerializeStatus::Ok) return 0;
    FolderList again;
    Check(ParseFolderList(written.bytes, lead, again) == ParseStop::Complete, "a written list does not read back completely");
    Check(again == list, "a written list reads back as another list");
    Check(SerializeFolderList(again, lead).bytes == written.bytes, "a list read back is written differently");
    return 0;
}
