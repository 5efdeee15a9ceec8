// The enable state and the menu style through Wine's real registry: the
// user's handler keys over the machine's, as Windows' merged view shows them.
// What the General page's OK and Apply write, and what they tell when they
// cannot, is checked through the page (config_sheet_test.cpp).
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
    for (const std::string& foreign : {std::string("{6a1e27c4-93b5-4d0e-8f21-5c7d0b9a3e16}"),  // lower case
                                       std::string(kHandlerClsidText) + " "}) {
        SetHandlerKey(false, kBackgroundHandlerKey, foreign);
        EXPECT_FALSE(ReadSettings().enabled) << foreign;
    }
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

TEST_F(SettingsRegistry, MissingOrMalformedMenuStyleIsTheSubmenu) {
    EXPECT_TRUE(ReadSettings().submenu) << "nothing stored";
    const struct { DWORD type; unsigned long long value; DWORD size; bool submenu; } cases[] = {
        {REG_DWORD, 0, 4, false}, {REG_DWORD, 2, 4, true}, {REG_QWORD, 0, 8, true}};
    for (const auto& c : cases) {
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kSubmenuValue, c.type, &c.value, c.size),
                  ERROR_SUCCESS);
        EXPECT_EQ(ReadSettings().submenu, c.submenu) << "type " << c.type << ", value " << c.value;
    }
}

}  // namespace
