// GetCommandString's replies: for every command offset and request type,
// which string, verb or folder path is returned, or why nothing is.
#include "core/command_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ostream>
#include <string>

namespace wayleap {

static void PrintTo(const CommandStringReply& r, std::ostream* os) {
    static const char* const kWhat[] = {"Invalid", "Empty", "String", "IndexedVerb", "CommandPath"};
    *os << kWhat[static_cast<int>(r.what)] << " string " << r.stringId << " index " << r.index
        << (r.wide ? " wide" : " ansi");
}

static bool operator==(const CommandStringReply& a, const CommandStringReply& b) {
    return a.what == b.what && a.stringId == b.stringId && a.index == b.index && a.wide == b.wide;
}

}  // namespace wayleap

using namespace wayleap;
using What = CommandStringReply::What;

namespace {

constexpr unsigned kTypes = 8;  // 0 to 7: every request type, defined or not

bool WideType(unsigned type) { return type == kVerbW || type == kHelpTextW || type == kValidateW; }

CommandStringReply Expect(What what, unsigned type, unsigned stringId = 0, std::size_t index = 0) {
    CommandStringReply r;
    r.what = what;
    r.stringId = stringId;
    r.index = index;
    r.wide = WideType(type);
    return r;
}

}  // namespace

TEST(CommandString, WideOnlyForTheUnicodeRequestTypes) {
    const bool wide[kTypes] = {false, false, false, false, true, true, true, false};
    for (unsigned type = 0; type < kTypes; ++type) {
        EXPECT_EQ(ReplyFor(1, type, 0).wide, wide[type]) << type;
        EXPECT_EQ(ReplyFor(8, type, 1).wide, wide[type]) << type;
        EXPECT_EQ(ReplyFor(5, type, 1).wide, wide[type]) << type;  // the caller's buffer is emptied in its width
    }
}

TEST(CommandString, AddAndConfigureAnswerVerbAndHelpText) {
    struct Case { unsigned offset; unsigned verb; unsigned help; };
    const Case cases[] = {
        {1, kStrAddVerb, kStrAddHelp},              // 108, 105
        {2, kStrConfigureVerb, kStrConfigureHelp},  // 109, 106
    };
    for (const Case& c : cases) {
        for (std::size_t count : {std::size_t{0}, std::size_t{5}}) {
            for (unsigned type = 0; type < kTypes; ++type) {
                SCOPED_TRACE("offset " + std::to_string(c.offset) + " type " + std::to_string(type));
                CommandStringReply expected;
                switch (type) {
                    case kVerbA: case kVerbW: expected = Expect(What::String, type, c.verb); break;
                    case kHelpTextA: case kHelpTextW: expected = Expect(What::String, type, c.help); break;
                    default: expected = Expect(What::Empty, type); break;  // validation included
                }
                EXPECT_EQ(ReplyFor(c.offset, type, count), expected);
            }
        }
    }
    EXPECT_EQ(kStrAddVerb, 108u);
    EXPECT_EQ(kStrAddHelp, 105u);
    EXPECT_EQ(kStrConfigureVerb, 109u);
    EXPECT_EQ(kStrConfigureHelp, 106u);
}

TEST(CommandString, OffsetsNamingNoCommandAreInvalidForEveryType) {
    struct Case { unsigned offset; std::size_t count; };
    const Case cases[] = {
        {0, 3},  // the parent item
        {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3},
        {8, 0},  // no folder commands at all
        {11, 3}, {12, 3}, {1000, 3},
        {20, 12},  // one past the last
        {UINT_MAX, 3},
        {UINT_MAX, UINT_MAX - 8u},  // exactly one past the last
        {0, SIZE_MAX}, {7, SIZE_MAX},
    };
    for (const Case& c : cases) {
        for (unsigned type = 0; type < kTypes; ++type) {
            SCOPED_TRACE("offset " + std::to_string(c.offset) + " count " + std::to_string(c.count) + " type " +
                         std::to_string(type));
            EXPECT_EQ(ReplyFor(c.offset, type, c.count), Expect(What::Invalid, type));
        }
    }
}

TEST(CommandString, FolderCommandsAnswerIndexedVerbAndCommandPath) {
    struct Case { unsigned offset; std::size_t count; std::size_t index; };
    const Case cases[] = {
        {8, 1, 0},
        {8, 13, 0},
        {20, 13, 12},  // verb WLList12
        {19, 12, 11},
        {UINT_MAX, UINT_MAX - 7u, UINT_MAX - 8u},  // the last one there can be
        // Compared as whole numbers: 8 + SIZE_MAX must not wrap to 7.
        {8, SIZE_MAX, 0},
        {UINT_MAX, SIZE_MAX, UINT_MAX - 8u},
    };
    for (const Case& c : cases) {
        for (unsigned type = 0; type < kTypes; ++type) {
            SCOPED_TRACE("offset " + std::to_string(c.offset) + " count " + std::to_string(c.count) + " type " +
                         std::to_string(type));
            CommandStringReply expected;
            switch (type) {
                case kVerbA: case kVerbW: expected = Expect(What::IndexedVerb, type, kStrListVerb, c.index); break;
                case kHelpTextA: case kHelpTextW: expected = Expect(What::CommandPath, type, 0, c.index); break;
                default: expected = Expect(What::Empty, type); break;
            }
            EXPECT_EQ(ReplyFor(c.offset, type, c.count), expected);
        }
    }
}

TEST(CutUtf16, CutsToTheLimitWithoutSplittingASurrogatePair) {
    const std::u16string emoji = u"\U0001F600";  // D83D DE00
    ASSERT_EQ(emoji.size(), 2u);
    struct Case { std::u16string text; std::size_t max; std::u16string cut; };
    const Case cases[] = {
        {u"", 0, u""},
        {u"", 5, u""},
        {u"abc", 5, u"abc"},
        {u"abc", 3, u"abc"},
        {u"abc", 2, u"ab"},
        {u"abc", 0, u""},
        {u"a" + emoji + u"b", 4, u"a" + emoji + u"b"},
        {u"a" + emoji + u"b", 3, u"a" + emoji},
        {u"a" + emoji + u"b", 2, u"a"},  // would end on the high half
        {u"a" + emoji + u"b", 1, u"a"},
        {emoji, 1, u""},
        {emoji + emoji, 3, emoji},
        {emoji + emoji, 2, emoji},
        // Halves that form no pair are ordinary units.
        {u"a\xD800" u"b", 2, u"a\xD800"},
        {u"\xDC00\xDC00", 1, u"\xDC00"},
        {u"\xD800\xD800\xDC00", 2, u"\xD800"},
        {u"\xD800\xD800\xDC00", 1, u"\xD800"},
        {u"\xDBFF\xDFFF" u"x", 1, u""},
        {u"\xD7FF\xDC00" u"x", 1, u"\xD7FF"},
        {u"\xDC00\xD800" u"x", 1, u"\xDC00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.text.size()) + " max " + std::to_string(c.max));
        const std::u16string_view cut = CutUtf16(c.text, c.max);
        EXPECT_TRUE(cut == c.cut) << "got " << cut.size() << " units, want " << c.cut.size();
        EXPECT_EQ(cut.data(), c.text.data());  // a prefix of the text itself
    }
}
