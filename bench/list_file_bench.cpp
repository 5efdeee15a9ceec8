// Reports how long parsing and writing a full list file takes. The shell
// extension parses FolderList.dat for every context menu on the menu's own
// thread, so this must stay far below what a user could notice (~1 ms).
#include <chrono>
#include <cstdio>
#include <string>

#include "core/list_file.h"

using namespace wayleap;
using Clock = std::chrono::steady_clock;

namespace {

// The largest list a file can hold: records of typical length up to 64 KiB.
FolderList FullList() {
    FolderList list;
    std::size_t bytes = 0;
    for (int i = 0;; ++i) {
        FolderEntry e{"Favourite folder " + std::to_string(i),
                      "C:\\Users\\someone\\Documents\\Projects\\Client " + std::to_string(i) + "\\Work", i % 3 == 0,
                      i % 5 == 0};
        const std::size_t size = e.name.size() + e.path.size() + 6;
        if (bytes + size > kMaxFileBytes) break;
        bytes += size;
        list.Append(e);
    }
    return list;
}

template <typename F>
double MicrosecondsPerRun(int runs, F&& run) {
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) run();
    const std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
    return elapsed.count() / runs;
}

}  // namespace

int main() {
    const FolderList list = FullList();
    const Serialized file = SerializeFolderList(list, LeadBytes());
    const LeadBytes shiftJis = LeadBytes::ShiftJis();
    std::size_t sink = 0;

    const double parse = MicrosecondsPerRun(200, [&] {
        FolderList out;
        ParseFolderList(file.bytes, LeadBytes(), out);
        sink += out.Count();
    });
    const double parseDbcs = MicrosecondsPerRun(200, [&] {
        FolderList out;
        ParseFolderList(file.bytes, shiftJis, out);
        sink += out.Count();
    });
    const double write = MicrosecondsPerRun(200, [&] { sink += SerializeFolderList(list, LeadBytes()).bytes.size(); });

    std::printf("list of %zu entries, %zu bytes\n", list.Count(), file.bytes.size());
    std::printf("parse (code page 1252): %8.1f us\n", parse);
    std::printf("parse (code page 932):  %8.1f us\n", parseDbcs);
    std::printf("write:                  %8.1f us\n", write);
    return sink == 0;
}
