// Fuzzes the list-file parser. Besides crashes and sanitizer reports it checks
// the round trip: a list that parsed completely and can be written must read
// back from its own bytes as the same list, completely.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/list_file.h"

using namespace wayleap;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte chooses the code page, so double-byte stepping is fuzzed too.
    const LeadBytes lead = (size > 0 && (data[0] & 1)) ? LeadBytes::ShiftJis() : LeadBytes();

    FolderList list;
    ParseFolderList(bytes, lead, list);
    for (const FolderEntry& e : list) {
        if (e.name.empty() || e.path.empty()) std::abort();
    }

    const Serialized written = SerializeFolderList(list, lead);
    if (written.status != SerializeStatus::Ok) return 0;
    FolderList again;
    if (ParseFolderList(written.bytes, lead, again) != ParseStop::Complete) std::abort();
    if (again != list) std::abort();
    const Serialized rewritten = SerializeFolderList(again, lead);
    if (rewritten.bytes != written.bytes) std::abort();
    return 0;
}
