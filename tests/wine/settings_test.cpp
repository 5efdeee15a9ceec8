// The enable state and the menu style through Wine's real registry.
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

void SetShellKey(const char* subKey, const std::string& text) {
    SetValue(HKEY_CLASSES_ROOT, subKey, nullptr, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

class SettingsRegistry : public ::testing::Test {
protected:
    void SetUp() override { CleanSettings(); }
    void TearDown() override { CleanSettings(); }
};

TEST_F(SettingsRegistry, EnabledOnlyWhenBothKeysNameTheHandler) {
    SetShellKey(kFolderHandlerKey, kHandlerClsidText);
    EXPECT_FALSE(ReadSettings().enabled) << "one key alone";
    SetShellKey(kBackgroundHandlerKey, kHandlerClsidText);
    EXPECT_TRUE(ReadSettings().enabled);
    for (const std::string& foreign : {std::string("{00000000-0000-0000-0000-000000000000}"),
                                       std::string("{6a1e27c4-93b5-4d0e-8f21-5c7d0b9a3e16}"),  // lower case
                                       std::string(kHandlerClsidText) + " "}) {
        SetShellKey(kBackgroundHandlerKey, foreign);
        EXPECT_FALSE(ReadSettings().enabled) << foreign;
    }
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kBackgroundHandlerKey);
    SetValue(HKEY_CLASSES_ROOT, kBackgroundHandlerKey, "other", REG_SZ, "", 1);
    EXPECT_FALSE(ReadSettings().enabled) << "a key without a default value";
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

TEST_F(SettingsRegistry, WritingCreatesOrRemovesBothKeysAndSaysWhenItCannot) {
    const Settings writes[] = {{true, false}, {false, true}, {false, false}};  // the last finds nothing to remove
    for (const Settings& s : writes) {
        EXPECT_TRUE(WriteSettings(s).ok());
        EXPECT_EQ(ReadStoredSettings(), SettingsWritten(s.enabled, s.submenu));
    }
    // A key holding a subkey cannot be removed: reported, and read back as it is.
    WriteSettings({true, true});
    SetValue(HKEY_CLASSES_ROOT, std::string(kFolderHandlerKey) + "\\child", nullptr, REG_SZ, "", 1);
    const SettingsWriteResult result = WriteSettings({false, true});
    EXPECT_FALSE(result.shellKeys);
    EXPECT_TRUE(result.menuStyle);
    EXPECT_FALSE(ReadSettings().enabled);
}

}  // namespace
