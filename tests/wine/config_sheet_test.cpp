// The configuration sheet as a whole: what the General page writes on OK and
// Apply (and Cancel does not). Wayleap.exe as its own process is run by the
// installer's test, as installed.
#include <gtest/gtest.h>

#include "core/registry_names.h"
#include "tests/wine/config_fixture.h"
#include "win/settings.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

// What OK and Apply write: only what the page changed, for the user alone;
// what could not be done is told and the page shows the settings as they are.
// A key holding a subkey cannot be removed, which stands for what a standard
// user may not remove.
TEST_F(ConfigSheetTest, GeneralPageWritesWhatChangedAndTellsWhatItCouldNot) {
    enum Before { kNothing, kOnDirect, kStuckKey, kForAll };
    const std::string on = kHandlerClsidText;
    const struct {
        const char* what;
        Before stored;
        std::vector<int> clicks;
        int press;  // Apply is followed by Cancel
        std::string after;
        const char* told;  // the start of the message the user is shown
    } cases[] = {
        {"switched on", kNothing, {IDC_ENABLE}, PSBTN_OK, SettingsWritten(true, "<none>"), ""},
        {"switched off by Apply", kOnDirect, {IDC_ENABLE}, PSBTN_APPLYNOW, SettingsWritten(false, "0"), ""},
        {"the direct style", kNothing, {IDC_STYLE_DIRECT}, PSBTN_OK, SettingsWritten(false, "0"), ""},
        {"Cancel", kOnDirect, {IDC_ENABLE, IDC_STYLE_SUBMENU}, PSBTN_CANCEL, SettingsWritten(true, "0"), ""},
        {"switching off that did not happen", kStuckKey, {IDC_ENABLE}, PSBTN_APPLYNOW, Stored(on, "<none>", "1"),
         "Wayleap could not switch the menu on or off"},
        {"switched on for every user", kForAll, {IDC_ENABLE}, PSBTN_APPLYNOW, Stored("<none>", "<none>", "1", on, "<none>"),
         "The Wayleap menu is switched off for you, but an administrator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CleanSettings();
        if (c.stored != kNothing) StoreSettings(true, c.stored != kOnDirect, c.stored == kForAll);
        if (c.stored == kStuckKey || c.stored == kForAll) {
            SetHandlerKey(c.stored == kForAll, (std::string(kFolderHandlerKey) + "\\child").c_str(), "");
        }
        std::vector<Step> steps;
        for (int id : c.clicks) steps.push_back(Click(0, id));
        steps.insert(steps.end(), {ApplyOn(), Press(c.press)});
        if (*c.told) steps.push_back(Tell(kErrorCaption));
        if (c.press == PSBTN_APPLYNOW) {
            steps.push_back(steps::Do([&] {
                EXPECT_EQ(IsDlgButtonChecked(Page(0), IDC_ENABLE) == BST_CHECKED, ReadSettings().enabled) << "as it is";
            }));
            steps.push_back(Press(PSBTN_CANCEL));
        }
        RunSheet(steps);
        EXPECT_EQ(ReadStoredSettings(), c.after);
        EXPECT_EQ(told.substr(0, std::string(c.told).size()), c.told) << told;
    }
}

}  // namespace
