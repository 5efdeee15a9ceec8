// The enable state through Wine's real registry: the user's handler keys over
// the machine's, as Windows' merged view shows them. The menu style read back,
// what the General page's OK and Apply write, and what they tell when they
// cannot, are checked through the page (config_sheet_test.cpp).
#include "core/registry_names.h"
#include "tests/wine/config_fixture.h"
#include "win/settings.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

class SettingsRegistry : public ::testing::Test {
protected:
    void SetUp() override { CleanSettings(); }
    void TearDown() override { CleanSettings(); }
};

TEST_F(SettingsRegistry, EnabledWhenBothKeysNameTheHandlerTheUsersOverTheMachines) {
    SetHandlerKey(false, kFolderHandlerKey, kHandlerClsidText);
    EXPECT_FALSE(ReadSettings().enabled) << "one key alone";
    EXPECT_TRUE(WriteSettings({false, true}).ok());
    EXPECT_EQ(ReadStoredSettings(), Stored(kHandlerClsidText, "<none>", "<none>"))
        << "nothing changed, nothing written";
    SetHandlerKey(false, kBackgroundHandlerKey, kHandlerClsidText);
    EXPECT_TRUE(ReadSettings().enabled);
    SetHandlerKey(false, kBackgroundHandlerKey, std::string(kHandlerClsidText) + " ");
    EXPECT_FALSE(ReadSettings().enabled) << "a key naming the handler with a blank after it";
    // The machine's keys count where the user has none; a user's key naming
    // another handler hides the machine's, as in Windows' merged view.
    StoreSettings(true, true, true);
    EXPECT_TRUE(ReadSettings().enabled);
    SetHandlerKey(false, kFolderHandlerKey, "{00000000-0000-0000-0000-000000000000}");
    EXPECT_FALSE(ReadSettings().enabled);
    // Switching off removes the machine's keys too, where the rights allow.
    StoreSettings(true, true, true);
    EXPECT_TRUE(WriteSettings({false, true}).ok());
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(false, "1"));
}

}  // namespace
