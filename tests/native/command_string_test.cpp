// GetCommandString's replies for every command offset and request type, and
// the cut of a UTF-16 reply to the caller's buffer.
#include "core/command_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

using namespace wayleap;
using What = CommandStringReply::What;

// Each row gives the verb and help-text replies; the validation types and the
// undefined ones answer Empty for a command and Invalid otherwise, and the
// three W types answer in UTF-16 (an invalid offset empties the buffer too).
TEST(CommandString, RepliesByOffsetAndType) {
    struct Case { unsigned offset; std::size_t count; What verb; unsigned verbId; What help; unsigned helpId; std::size_t index; };
    const Case cases[] = {
        {1, 0, What::String, kStrAddVerb, What::String, kStrAddHelp, 0},
        {2, 5, What::String, kStrConfigureVerb, What::String, kStrConfigureHelp, 0},
        {19, 12, What::IndexedVerb, kStrListVerb, What::CommandPath, 0, 11},  // the last folder command
        {8, SIZE_MAX, What::IndexedVerb, kStrListVerb, What::CommandPath, 0, 0},  // 8 + count must not wrap
        {UINT_MAX, UINT_MAX - 7u, What::IndexedVerb, kStrListVerb, What::CommandPath, 0, UINT_MAX - 8u},
        {0, 3, What::Invalid, 0, What::Invalid, 0, 0},  // the parent item
        {7, SIZE_MAX, What::Invalid, 0, What::Invalid, 0, 0},
        {8, 0, What::Invalid, 0, What::Invalid, 0, 0},
        {20, 12, What::Invalid, 0, What::Invalid, 0, 0},  // one past the last
        {UINT_MAX, UINT_MAX - 8u, What::Invalid, 0, What::Invalid, 0, 0},
    };
    for (const Case& c : cases) {
        for (unsigned type = 0; type < 8; ++type) {
            SCOPED_TRACE(std::to_string(c.offset) + " of " + std::to_string(c.count) + ", type " + std::to_string(type));
            const bool verb = type == kVerbA || type == kVerbW, help = type == kHelpTextA || type == kHelpTextW;
            const What what = verb ? c.verb : help ? c.help : c.verb == What::Invalid ? What::Invalid : What::Empty;
            const CommandStringReply r = ReplyFor(c.offset, type, c.count);
            EXPECT_EQ(r.what, what);
            EXPECT_EQ(r.stringId, verb ? c.verbId : help ? c.helpId : 0u);
            EXPECT_EQ(r.index, (verb || help) ? c.index : 0u);
            EXPECT_EQ(r.wide, type == kVerbW || type == kHelpTextW || type == kValidateW);
        }
    }
}

TEST(CommandString, Utf16CutNeverSplitsASurrogatePair) {
    const std::u16string e = u"\U0001F600";  // D83D DE00
    struct Case { std::u16string text; std::size_t max; std::u16string cut; };
    const Case cases[] = {
        {u"", 0, u""}, {u"abc", 3, u"abc"}, {u"abc", 2, u"ab"},
        {u"a" + e + u"b", 3, u"a" + e}, {u"a" + e + u"b", 2, u"a"}, {e + e, 3, e},
        {u"a\xD800" u"b", 2, u"a\xD800"},  // halves that form no pair are ordinary units
        {u"\xDC00\xD800" u"x", 1, u"\xDC00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.text.size()) + " max " + std::to_string(c.max));
        EXPECT_TRUE(CutUtf16(c.text, c.max) == c.cut);
    }
}
