// The enable state and menu style through Wine's real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/registry_names.h"
#include "win/settings.h"
#include "win/unique_handle.h"

using namespace wayleap;

namespace {

void SetDefaultValue(const char* subKey, const std::string& text) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

void SetStyleValue(DWORD type, const void* data, DWORD size) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), kSubmenuValue, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const char* subKey) {
    unique_hkey key;
    return RegOpenKeyExA(root, subKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// The default value of a shell key: its type and bytes.
std::string ReadDefault(const char* subKey, DWORD* type) {
    unique_hkey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return "<no key>";
    char buffer[512];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        return "<no value>";
    }
    return std::string(buffer, size);
}

DWORD ReadStyleDword(DWORD* type) {
    unique_hkey key;
    DWORD value = 0xDEAD;
    DWORD size = sizeof value;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
        RegQueryValueExA(key.get(), kSubmenuValue, nullptr, type, reinterpret_cast<BYTE*>(&value), &size);
    }
    return value;
}

class SettingsRegistry : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (const char* subKey : kShellHandlerKeys) {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(subKey) + "\\child").c_str());
            RegDeleteKeyA(HKEY_CLASSES_ROOT, subKey);
        }
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    }
};

TEST_F(SettingsRegistry, NothingStoredGivesDisabledAndSubmenu) {
    const Settings s = ReadSettings();
    EXPECT_FALSE(s.enabled);
    EXPECT_TRUE(s.submenu);
}

TEST_F(SettingsRegistry, EnabledOnlyWhenBothKeysNameTheClsidExactly) {
    SetDefaultValue(kFolderHandlerKey, kHandlerClsidText);
    EXPECT_FALSE(ReadSettings().enabled) << "one key alone";
    SetDefaultValue(kBackgroundHandlerKey, kHandlerClsidText);
    EXPECT_TRUE(ReadSettings().enabled);

    const struct {
        const char* why;
        std::string value;
    } foreign[] = {
        {"lower-case CLSID", "{6a1e27c4-93b5-4d0e-8f21-5c7d0b9a3e16}"},
        {"without braces", "6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16"},
        {"another handler", "{00000000-0000-0000-0000-000000000000}"},
        {"empty", ""},
        {"longer than 255 characters", std::string(kHandlerClsidText) + std::string(300, 'x')},
        {"CLSID followed by more text", std::string(kHandlerClsidText) + " "},
    };
    for (const auto& c : foreign) {
        SetDefaultValue(kBackgroundHandlerKey, c.value);
        EXPECT_FALSE(ReadSettings().enabled) << c.why;
    }
}

TEST_F(SettingsRegistry, KeyWithoutDefaultValueReadsDisabled) {
    SetDefaultValue(kFolderHandlerKey, kHandlerClsidText);
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kBackgroundHandlerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    EXPECT_FALSE(ReadSettings().enabled);
}

TEST_F(SettingsRegistry, MenuStyleValues) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(ReadSettings().submenu) << "key without the value";

    const DWORD zero = 0, one = 1, two = 2, high = 0x80000000;
    SetStyleValue(REG_DWORD, &zero, 4);
    EXPECT_FALSE(ReadSettings().submenu);
    SetStyleValue(REG_DWORD, &one, 4);
    EXPECT_TRUE(ReadSettings().submenu);
    SetStyleValue(REG_DWORD, &two, 4);
    EXPECT_TRUE(ReadSettings().submenu) << "any non-zero value";
    SetStyleValue(REG_DWORD, &high, 4);
    EXPECT_TRUE(ReadSettings().submenu);

    const unsigned long long wide = 0;
    SetStyleValue(REG_QWORD, &wide, 8);
    EXPECT_TRUE(ReadSettings().submenu) << "a value too large for 32 bits reads as the default";
}

TEST_F(SettingsRegistry, EnablingWritesBothKeysExactly) {
    SetDefaultValue(kBackgroundHandlerKey, "{6a1e27c4-93b5-4d0e-8f21-5c7d0b9a3e16}");
    const SettingsWriteResult result = WriteSettings({true, false});
    EXPECT_TRUE(result.ok());
    for (const char* subKey : kShellHandlerKeys) {
        DWORD type = 0;
        EXPECT_EQ(ReadDefault(subKey, &type), std::string(kHandlerClsidText, 39)) << subKey;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    }
    DWORD type = 0;
    EXPECT_EQ(ReadStyleDword(&type), 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));

    const Settings back = ReadSettings();
    EXPECT_TRUE(back.enabled);
    EXPECT_FALSE(back.submenu);
}

TEST_F(SettingsRegistry, DisablingRemovesBothKeysAndStillWritesTheStyle) {
    WriteSettings({true, false});
    const SettingsWriteResult result = WriteSettings({false, true});
    EXPECT_TRUE(result.ok());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kBackgroundHandlerKey));
    DWORD type = 0;
    EXPECT_EQ(ReadStyleDword(&type), 1u) << "the writer stores only 0 or 1";

    // Already disabled: nothing to remove is no failure.
    EXPECT_TRUE(WriteSettings({false, false}).ok());
    EXPECT_EQ(ReadStyleDword(&type), 0u);
}

TEST_F(SettingsRegistry, KeysThatCannotBeRemovedAreReported) {
    WriteSettings({true, true});
    // A key holding a subkey cannot be deleted with RegDeleteKeyA.
    unique_hkey child;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (std::string(kFolderHandlerKey) + "\\child").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, child.put(), nullptr),
              ERROR_SUCCESS);
    child.reset();
    const SettingsWriteResult result = WriteSettings({false, true});
    EXPECT_FALSE(result.shellKeys);
    EXPECT_TRUE(result.menuStyle);
    EXPECT_FALSE(ReadSettings().enabled) << "what is really in force is read back";
}

}  // namespace
