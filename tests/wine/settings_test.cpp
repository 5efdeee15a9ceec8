// The enable state and the menu style through Wine's real registry: the
// user's handler keys over the machine's, as Windows' merged view shows them.
#include "core/registry_names.h"
#include "tests/wine/config_fixture.h"
#include "win/settings.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

void SetValue(HKEY root, const std::string& subKey, const char* name, DWORD type, const void* data, DWORD size) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

class SettingsRegistry : public ::testing::Test {
protected:
    void SetUp() override { CleanSettings(); }
    void TearDown() override { CleanSettings(); }
};

TEST_F(SettingsRegistry, EnabledWhenBothKeysNameTheHandlerTheUsersOverTheMachines) {
    SetHandlerKey(false, kFolderHandlerKey, kHandlerClsidText);
    EXPECT_FALSE(ReadSettings().enabled) << "one key alone";
    SetHandlerKey(false, kBackgroundHandlerKey, kHandlerClsidText);
    EXPECT_TRUE(ReadSettings().enabled);
    for (const std::string& foreign : {std::string("{00000000-0000-0000-0000-000000000000}"),
                                       std::string("{6a1e27c4-93b5-4d0e-8f21-5c7d0b9a3e16}"),  // lower case
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
}

TEST_F(SettingsRegistry, MissingOrMalformedMenuStyleIsTheSubmenu) {
    EXPECT_TRUE(ReadSettings().submenu) << "nothing stored";
    const struct { DWORD type; unsigned long long value; DWORD size; bool submenu; } cases[] = {
        {REG_DWORD, 0, 4, false}, {REG_DWORD, 2, 4, true}, {REG_QWORD, 0, 8, true}};
    for (const auto& c : cases) {
        SetValue(HKEY_CURRENT_USER, kSettingsKey, kSubmenuValue, c.type, &c.value, c.size);
        EXPECT_EQ(ReadSettings().submenu, c.submenu) << "type " << c.type << ", value " << c.value;
    }
}

// Only what changed is written, and only for the user; what could not be
// done is reported. A key holding a subkey cannot be removed, which stands
// for what a standard user may not remove.
TEST_F(SettingsRegistry, WritesWhatChangedForTheUserAndSaysWhatItCouldNot) {
    const Settings writes[] = {{true, true}, {true, false}, {false, false}};
    const StoredSettings after[] = {SettingsWritten(true, "<none>"), SettingsWritten(true, "0"),
                                    SettingsWritten(false, "0")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(WriteSettings(writes[i]).ok());
        EXPECT_EQ(ReadStoredSettings(), after[i]);
    }
    // Switching off removes the machine's keys too, where the rights allow.
    StoreSettings(true, true, true);
    EXPECT_TRUE(WriteSettings({false, true}).ok());
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(false, "1"));

    StoreSettings(true, true, true);
    SetHandlerKey(true, (std::string(kFolderHandlerKey) + "\\child").c_str(), "");
    EXPECT_TRUE(WriteSettings({true, true}).ok()) << "nothing changed, nothing written";
    SettingsWriteResult result = WriteSettings({false, true});
    EXPECT_TRUE(result.shellKeys);
    EXPECT_TRUE(result.machineKeysLeft) << "the machine's key could not be removed";

    StoreSettings(true, true);
    SetHandlerKey(false, (std::string(kFolderHandlerKey) + "\\child").c_str(), "");
    result = WriteSettings({false, true});
    EXPECT_FALSE(result.shellKeys);
    EXPECT_FALSE(ReadSettings().enabled);
}

}  // namespace
