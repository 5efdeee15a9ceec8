// SkipdoorCM.dll's help texts and verbs through IContextMenu::GetCommandString:
// the reply for every kind of command offset and request type, in ANSI and
// UTF-16, and replies cut to the caller's buffer.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/wine/shellext_fixture.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

bool IsWide(UINT type) { return (type & GCS_UNICODE) != 0; }

// What GetCommandString returned and left in a buffer of `cchMax`
// characters that was filled with 'x' before the call.
struct Reply {
    HRESULT hr = E_FAIL;
    std::wstring text;     // up to the terminator (A replies widened byte by byte)
    bool terminated = false;
    bool untouched = true;  // every character still 'x'
    bool beyondKept = true;  // nothing written at or after cchMax
};

constexpr std::size_t kBufferChars = 600;

Reply AskMenu(IContextMenu* menu, UINT_PTR offset, UINT type, UINT cchMax = 260) {
    Reply reply;
    if (IsWide(type)) {
        std::vector<wchar_t> buffer(kBufferChars, L'x');
        reply.hr = menu->GetCommandString(offset, type, nullptr, reinterpret_cast<LPSTR>(buffer.data()), cchMax);
        for (std::size_t i = 0; i < cchMax && i < kBufferChars; ++i) {
            if (buffer[i] == L'\0') {
                reply.terminated = true;
                break;
            }
            reply.text += buffer[i];
        }
        for (std::size_t i = 0; i < kBufferChars; ++i) {
            if (buffer[i] != L'x') reply.untouched = false;
            if (i >= cchMax && buffer[i] != L'x') reply.beyondKept = false;
        }
    } else {
        std::vector<char> buffer(kBufferChars, 'x');
        reply.hr = menu->GetCommandString(offset, type, nullptr, buffer.data(), cchMax);
        for (std::size_t i = 0; i < cchMax && i < kBufferChars; ++i) {
            if (buffer[i] == '\0') {
                reply.terminated = true;
                break;
            }
            reply.text += static_cast<wchar_t>(static_cast<unsigned char>(buffer[i]));
        }
        for (std::size_t i = 0; i < kBufferChars; ++i) {
            if (buffer[i] != 'x') reply.untouched = false;
            if (i >= cchMax && buffer[i] != 'x') reply.beyondKept = false;
        }
    }
    return reply;
}

// ASCII and code page 1252 letters below 0x80 or from 0xA0 on are the same
// numbers in UTF-16, so expected texts are written once, as bytes.
std::wstring Latin1(const std::string& text) {
    std::wstring wide;
    for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

const char* TypeName(UINT type) {
    switch (type) {
    case GCS_VERBA: return "GCS_VERBA";
    case GCS_HELPTEXTA: return "GCS_HELPTEXTA";
    case GCS_VALIDATEA: return "GCS_VALIDATEA";
    case GCS_VERBW: return "GCS_VERBW";
    case GCS_HELPTEXTW: return "GCS_HELPTEXTW";
    case GCS_VALIDATEW: return "GCS_VALIDATEW";
    default: return "another type";
    }
}

class CommandStrings : public ::testing::Test {
protected:
    void SetUp() override { SetMenuStyle(false); }

    // Writes the list, then makes a handler and builds its menu.
    void Build(const std::vector<FolderEntry>& entries) {
        FolderList list;
        for (const FolderEntry& entry : entries) list.Append(entry);
        WriteFolderList(dll, list);
        h = std::make_unique<Handler>();
        BuildMenu(*h, scratch.path(), menu);
        ASSERT_TRUE(SUCCEEDED(menu.hr));
    }

    Reply Ask(UINT_PTR offset, UINT type, UINT cchMax = 260) { return AskMenu(h->menu, offset, type, cchMax); }

    ScratchDir scratch;
    InstalledDll dll{scratch / "dll\\"};
    std::unique_ptr<Handler> h;
    BuiltMenu menu;
};

// Thirteen plain entries: folder commands at offsets 8 to 20.
std::vector<FolderEntry> ThirteenEntries() {
    std::vector<FolderEntry> entries = {{"Data", "C:\\Data", false, false}, {"Cafe", "C:\\Caf\xE9", false, false}};
    for (int i = 2; i < 13; ++i) {
        entries.push_back({"F" + std::to_string(i), "C:\\Folder" + std::to_string(i), false, false});
    }
    return entries;
}

TEST_F(CommandStrings, ReplyForEveryOffsetAndRequestType) {
    Build(ThirteenEntries());
    ASSERT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 21));

    const struct {
        UINT offset;
        const char* verb;  // nullptr: the offset names no command
        const char* help;
    } offsets[] = {
        {0, nullptr, nullptr},  // the parent item "Wayleap"
        {1, "WLAddFolder", "Add current selected folder(s)"},
        {2, "WLConfigure", "Configure Wayleap"},
        {3, nullptr, nullptr},
        {5, nullptr, nullptr},
        {7, nullptr, nullptr},
        {8, "WLList0", "C:\\Data"},
        {9, "WLList1", "C:\\Caf\xE9"},
        {17, "WLList9", "C:\\Folder9"},
        {18, "WLList10", "C:\\Folder10"},
        {20, "WLList12", "C:\\Folder12"},
        {21, nullptr, nullptr},  // past the last folder command
        {0x7FFF, nullptr, nullptr},
        {0xFFFFFFFFu, nullptr, nullptr},
    };
    enum class Answer { Verb, Help, Nothing };
    const struct {
        UINT type;
        Answer answer;
    } types[] = {
        {GCS_VERBA, Answer::Verb},       {GCS_HELPTEXTA, Answer::Help}, {GCS_VALIDATEA, Answer::Nothing},
        {GCS_VERBW, Answer::Verb},       {GCS_HELPTEXTW, Answer::Help}, {GCS_VALIDATEW, Answer::Nothing},
        {3, Answer::Nothing},            {GCS_UNICODE | 3, Answer::Nothing},
    };
    for (const auto& o : offsets) {
        for (const auto& t : types) {
            SCOPED_TRACE(std::string(TypeName(t.type)) + " for offset " + std::to_string(o.offset));
            const Reply reply = Ask(o.offset, t.type);
            if (!o.verb) {
                EXPECT_EQ(reply.hr, E_INVALIDARG);
                EXPECT_TRUE(reply.terminated && reply.text.empty()) << "the buffer is left empty";
                continue;
            }
            const char* expected = t.answer == Answer::Verb ? o.verb : t.answer == Answer::Help ? o.help : "";
            EXPECT_EQ(reply.hr, S_OK);
            EXPECT_TRUE(reply.terminated);
            EXPECT_EQ(reply.text, Latin1(expected));
            EXPECT_TRUE(reply.beyondKept);
        }
    }
}

TEST_F(CommandStrings, WideHelpTextIsConvertedFromTheCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252";
    Build({{"Cafe", "C:\\Caf\xE9\x80", false, false}});
    const Reply reply = Ask(8, GCS_HELPTEXTW);
    EXPECT_EQ(reply.hr, S_OK);
    EXPECT_EQ(reply.text, std::wstring(L"C:\\Caf\u00E9\u20AC")) << "0x80 is the euro sign in code page 1252";
}

TEST_F(CommandStrings, FolderCommandsExistOnlyOnceTheMenuIsBuilt) {
    FolderList list;
    list.Append({"Data", "C:\\Data", false, false});
    WriteFolderList(dll, list);
    Handler fresh;
    InitializeBackground(fresh, scratch.path());
    EXPECT_EQ(AskMenu(fresh.menu, 8, GCS_HELPTEXTA).hr, E_INVALIDARG);
    EXPECT_EQ(AskMenu(fresh.menu, 8, GCS_VALIDATEA).hr, E_INVALIDARG);
    const Reply add = AskMenu(fresh.menu, 1, GCS_VERBA);
    EXPECT_EQ(add.hr, S_OK);
    EXPECT_EQ(add.text, L"WLAddFolder");
}

TEST_F(CommandStrings, RepliesAreCutToTheBuffer) {
    Build(ThirteenEntries());
    const struct {
        UINT offset;
        UINT type;
        UINT cchMax;
        const char* text;
    } cases[] = {
        {1, GCS_VERBA, 4, "WLA"},
        {1, GCS_VERBW, 4, "WLA"},
        {1, GCS_VERBA, 11, "WLAddFolde"},
        {1, GCS_VERBA, 12, "WLAddFolder"},
        {2, GCS_HELPTEXTA, 10, "Configure"},
        {2, GCS_HELPTEXTW, 10, "Configure"},
        {8, GCS_HELPTEXTA, 4, "C:\\"},
        {9, GCS_HELPTEXTW, 7, "C:\\Caf"},
        {9, GCS_HELPTEXTW, 8, "C:\\Caf\xE9"},
        {20, GCS_VERBA, 8, "WLList1"},
        {20, GCS_VERBW, 8, "WLList1"},
        {1, GCS_VERBA, 2, "W"},
        {1, GCS_VERBA, 1, ""},
        {1, GCS_VERBW, 1, ""},
        {8, GCS_HELPTEXTA, 1, ""},
        {8, GCS_HELPTEXTW, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(TypeName(c.type)) + " for offset " + std::to_string(c.offset) + ", cchMax " +
                     std::to_string(c.cchMax));
        const Reply reply = Ask(c.offset, c.type, c.cchMax);
        EXPECT_EQ(reply.hr, S_OK);
        EXPECT_TRUE(reply.terminated);
        EXPECT_EQ(reply.text, Latin1(c.text));
        EXPECT_TRUE(reply.beyondKept) << "nothing written past cchMax";
    }
}

TEST_F(CommandStrings, NoBufferIsNeverWritten) {
    Build(ThirteenEntries());
    for (UINT type : {GCS_VERBA, GCS_HELPTEXTA, GCS_VALIDATEA, GCS_VERBW, GCS_HELPTEXTW, GCS_VALIDATEW}) {
        SCOPED_TRACE(TypeName(type));
        for (UINT offset : {1u, 2u, 8u, 20u}) {
            EXPECT_EQ(h->menu->GetCommandString(offset, type, nullptr, nullptr, 0), S_OK) << offset;
            EXPECT_TRUE(Ask(offset, type, 0).untouched) << "cchMax 0, offset " << offset;
        }
        for (UINT offset : {0u, 5u, 21u}) {
            EXPECT_EQ(h->menu->GetCommandString(offset, type, nullptr, nullptr, 0), E_INVALIDARG) << offset;
            EXPECT_TRUE(Ask(offset, type, 0).untouched) << "cchMax 0, offset " << offset;
        }
    }
}

TEST_F(CommandStrings, OffsetsAreWholeNumbers) {
    if (sizeof(UINT_PTR) <= sizeof(UINT)) GTEST_SKIP() << "a command id has 32 bits here";
    Build(ThirteenEntries());
    // An id whose low 32 bits would name a command names none.
    for (unsigned long long high : {0x100000000ull, 0x8000000000000000ull}) {
        for (UINT low : {1u, 8u}) {
            const UINT_PTR offset = static_cast<UINT_PTR>(high | low);
            EXPECT_EQ(Ask(offset, GCS_VERBA).hr, E_INVALIDARG) << std::hex << high << " + " << low;
            EXPECT_EQ(Ask(offset, GCS_VALIDATEW).hr, E_INVALIDARG) << std::hex << high << " + " << low;
        }
    }
}

// Runs only in the ctest entry that starts Wine with code page 932.
TEST_F(CommandStrings, DoubleByteHelpTextIsCutBetweenCharacters) {
    if (!std::getenv("WAYLEAP_EXPECT_CP932")) GTEST_SKIP() << "runs with code page 932 only";
    ASSERT_EQ(GetACP(), 932u);
    // 0x95 0x5C and 0x8E 0xA6 are two characters; the first one's trail byte
    // is the same number as a backslash.
    const std::string path = "C:\\\x95\x5C\x8E\xA6";
    Build({{"Double", path, false, false}});
    const struct {
        UINT cchMax;
        std::string bytes;
    } cases[] = {
        {1, ""},
        {4, "C:\\"},
        {5, "C:\\"},  // not the lead byte alone
        {6, "C:\\\x95\x5C"},
        {7, "C:\\\x95\x5C"},
        {8, path},
        {260, path},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("cchMax " + std::to_string(c.cchMax));
        char buffer[300];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        EXPECT_EQ(h->menu->GetCommandString(8, GCS_HELPTEXTA, nullptr, buffer, c.cchMax), S_OK);
        EXPECT_EQ(std::string(buffer, strnlen(buffer, c.cchMax)), c.bytes);
        EXPECT_EQ(buffer[c.bytes.size()], '\0');
        EXPECT_EQ(buffer[c.cchMax], 'x');
    }

    // In UTF-16 the two characters are one unit each.
    const struct {
        UINT cchMax;
        std::wstring text;
    } wide[] = {{4, L"C:\\"}, {5, L"C:\\\u8868"}, {6, L"C:\\\u8868\u793A"}, {260, L"C:\\\u8868\u793A"}};
    for (const auto& c : wide) {
        SCOPED_TRACE("wide, cchMax " + std::to_string(c.cchMax));
        const Reply reply = Ask(8, GCS_HELPTEXTW, c.cchMax);
        EXPECT_EQ(reply.hr, S_OK);
        EXPECT_EQ(reply.text, c.text);
        EXPECT_TRUE(reply.beyondKept);
    }
}

}  // namespace
