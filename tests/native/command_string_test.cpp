// GetCommandString's replies for every command offset and request type. The
// fuzz target checks which offsets are invalid and the replies' width for
// small menus, and the cut of a UTF-16 reply to the caller's buffer.
#include "core/command_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

using namespace wayleap;
using What = CommandStringReply::What;

// Each row gives the verb and help-text replies; the validation types and the
// undefined ones answer Empty for a command and Invalid otherwise. Counts near
// the largest offset check that no sum wraps around.
TEST(CommandString, RepliesByOffsetAndType) {
    struct Case { unsigned offset; std::size_t count; What verb; unsigned verbId; What help; unsigned helpId; std::size_t index; };
    const Case cases[] = {
        {1, 0, What::String, kStrAddVerb, What::String, kStrAddHelp, 0},
        {2, 5, What::String, kStrConfigureVerb, What::String, kStrConfigureHelp, 0},
        {19, 12, What::IndexedVerb, kStrListVerb, What::CommandPath, 0, 11},  // the last folder command
        {8, SIZE_MAX, What::IndexedVerb, kStrListVerb, What::CommandPath, 0, 0},  // 8 + count must not wrap
        {UINT_MAX, UINT_MAX - 7u, What::IndexedVerb, kStrListVerb, What::CommandPath, 0, UINT_MAX - 8u},
        {7, SIZE_MAX, What::Invalid, 0, What::Invalid, 0, 0},
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
        }
    }
}
