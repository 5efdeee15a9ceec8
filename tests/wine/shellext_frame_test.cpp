// SkipdoorCM.dll as a COM server: registration entries, the type library,
// the version resource, the class factory, interface identity and unloading.
#include <gtest/gtest.h>

#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "core/registry_names.h"
#include "skipdoorcm.h"
#include "tests/wine/shellext_fixture.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

const char kClassKey[] = "CLSID\\{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}";
const char kTypeLibKey[] = "TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}";

bool KeyExists(const std::string& subKey) {
    unique_hkey key;
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::string ValueOf(const std::string& subKey, const char* name = nullptr) {
    unique_hkey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return "<no key>";
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        return "<no value>";
    }
    return type == REG_SZ ? std::string(buffer) : "<not REG_SZ>";
}

void CreateKey(const std::string& subKey, const char* valueName = nullptr, const char* value = nullptr) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    if (value) {
        RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(strlen(value) + 1));
    }
}

std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH] = {};
    return GetShortPathNameA(path.c_str(), buffer, MAX_PATH) ? std::string(buffer) : path;
}

class Registration : public ::testing::Test {
protected:
    ScratchDir scratch;
};

TEST_F(Registration, WritesEveryClassEntryExactly) {
    InstalledDll dll(scratch / "dll\\");
    ASSERT_EQ(dll.registerResult(), S_OK);

    const struct {
        std::string key;
        const char* name;
        std::string value;
    } expected[] = {
        {"SkipdoorCM.SkipdoorCMH.1", nullptr, "SkipdoorCMH Class"},
        {"SkipdoorCM.SkipdoorCMH.1\\CLSID", nullptr, kHandlerClsidText},
        {"SkipdoorCM.SkipdoorCMH", nullptr, "SkipdoorCMH Class"},
        {"SkipdoorCM.SkipdoorCMH\\CLSID", nullptr, kHandlerClsidText},
        {"SkipdoorCM.SkipdoorCMH\\CurVer", nullptr, "SkipdoorCM.SkipdoorCMH.1"},
        {kClassKey, nullptr, "SkipdoorCMH Class"},
        {std::string(kClassKey) + "\\ProgID", nullptr, "SkipdoorCM.SkipdoorCMH.1"},
        {std::string(kClassKey) + "\\VersionIndependentProgID", nullptr, "SkipdoorCM.SkipdoorCMH"},
        {std::string(kClassKey) + "\\InprocServer32", nullptr, ShortPath(dll.dllPath())},
        {std::string(kClassKey) + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {std::string(kClassKey) + "\\TypeLib", nullptr, "{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}"},
    };
    for (const auto& e : expected) EXPECT_EQ(ValueOf(e.key, e.name), e.value) << e.key;
    EXPECT_TRUE(KeyExists(std::string(kTypeLibKey) + "\\1.0")) << "type library registered";

    // Made through the registry, as the shell makes it.
    IUnknown* unknown = nullptr;
    EXPECT_EQ(CoCreateInstance(kHandlerClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&unknown)),
              S_OK);
    if (unknown) unknown->Release();
}

TEST_F(Registration, ClassKeyIsRecreatedWholeOtherKeysKeepForeignEntries) {
    CreateKey(std::string(kClassKey) + "\\Stale\\Deeper", "x", "old");
    CreateKey(std::string(kClassKey) + "\\InprocServer32", "Foreign", "old");
    CreateKey("SkipdoorCM.SkipdoorCMH\\Extra", nullptr, "kept");
    InstalledDll dll(scratch / "dll\\");
    ASSERT_EQ(dll.registerResult(), S_OK);
    EXPECT_FALSE(KeyExists(std::string(kClassKey) + "\\Stale"));
    EXPECT_EQ(ValueOf(std::string(kClassKey) + "\\InprocServer32", "Foreign"), "<no value>");
    EXPECT_EQ(ValueOf("SkipdoorCM.SkipdoorCMH\\Extra"), "kept");
}

TEST_F(Registration, RemovalLeavesClsidAndTheShellHandlerKeys) {
    CreateKey(kFolderHandlerKey, nullptr, kHandlerClsidText);
    CreateKey(kBackgroundHandlerKey, nullptr, kHandlerClsidText);
    {
        InstalledDll dll(scratch / "dll\\");
        ASSERT_EQ(dll.registerResult(), S_OK);
        CreateKey("SkipdoorCM.SkipdoorCMH.1\\Unlisted", nullptr, "x");
        EXPECT_EQ(dll.Unregister(), S_OK);
        EXPECT_EQ(dll.Unregister(), S_OK) << "removing what is gone is no failure";
    }
    for (const char* key : {"SkipdoorCM.SkipdoorCMH.1", "SkipdoorCM.SkipdoorCMH", kClassKey}) {
        EXPECT_FALSE(KeyExists(key)) << key;
    }
    EXPECT_TRUE(KeyExists("CLSID"));
    EXPECT_FALSE(KeyExists(std::string(kTypeLibKey) + "\\1.0")) << "type library unregistered";
    EXPECT_EQ(ValueOf(kFolderHandlerKey), kHandlerClsidText);
    EXPECT_EQ(ValueOf(kBackgroundHandlerKey), kHandlerClsidText);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kFolderHandlerKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kBackgroundHandlerKey);
}

TEST_F(Registration, PathWithAnApostropheIsStoredAsTheRealPath) {
    InstalledDll dll(scratch / "it's_here\\");
    ASSERT_EQ(dll.registerResult(), S_OK);
    const std::string stored = ValueOf(std::string(kClassKey) + "\\InprocServer32");
    EXPECT_EQ(stored, ShortPath(dll.dllPath()));
    char longPath[MAX_PATH] = {};
    ASSERT_NE(GetLongPathNameA(stored.c_str(), longPath, MAX_PATH), 0u);
    EXPECT_EQ(std::string(longPath), dll.dllPath());
}

TEST(VersionResource, NamesTheProductAndItsVersion) {
    const std::string path = BuiltDllPath();
    EXPECT_EQ(path.substr(path.find_last_of('\\') + 1), sizeof(void*) == 8 ? "SkipdoorCM64.dll" : "SkipdoorCM.dll");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &data[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000006u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00000006u);
    for (const auto& [name, value] : {std::pair<const char*, const char*>{"FileDescription", "Wayleap Context Menu DLL"},
                                      {"ProductName", "Wayleap"}, {"FileVersion", "0.6.0.1"},
                                      {"OriginalFilename", sizeof(void*) == 8 ? "SkipdoorCM64.dll" : "SkipdoorCM.dll"}}) {
        char* text = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << name;
        EXPECT_STREQ(text, value);
    }
}

class ComFrame : public ::testing::Test {
protected:
    ScratchDir scratch;
    InstalledDll dll{scratch / "dll\\"};

    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
        auto fn = dll.Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
        return fn(clsid, riid, ppv);
    }
};

TEST_F(ComFrame, ClassObjectOnlyForTheHandlerClass) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(GetClassObject(kHandlerClsid, IID_IClassFactory, nullptr), E_POINTER);

    IClassFactory* first = nullptr;
    IClassFactory* second = nullptr;
    ASSERT_EQ(GetClassObject(kHandlerClsid, IID_IClassFactory, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(GetClassObject(kHandlerClsid, IID_IUnknown, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(first), static_cast<IUnknown*>(second)) << "one cached factory";
    second->Release();

    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    IUnknown* outer = first;
    EXPECT_EQ(first->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&object)), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(first->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(first->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    first->Release();
    EXPECT_EQ(dll.CanUnloadNow(), S_OK) << "the refused object was destroyed again";
}

TEST_F(ComFrame, InterfacesShareTheirIdentity) {
    Handler h;
    ASSERT_TRUE(h);
    auto query = [&](REFIID riid) {
        void* out = nullptr;
        if (FAILED(h.init->QueryInterface(riid, &out))) return static_cast<void*>(nullptr);
        static_cast<IUnknown*>(out)->Release();
        return out;
    };
    EXPECT_NE(query(IID_IContextMenu), nullptr);
    EXPECT_EQ(query(IID_IContextMenu), query(IID_IContextMenu2));
    EXPECT_EQ(query(IID_IContextMenu), query(IID_IContextMenu3));
    EXPECT_EQ(query(IID_IUnknown), query(IID_ISkipdoorCMH));
    EXPECT_NE(query(IID_IUnknown), nullptr);
    EXPECT_EQ(query(IID_IDispatch), nullptr);
    EXPECT_EQ(h.init->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComFrame, StaysLoadedWhileAnythingHoldsIt) {
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);
    {
        Handler h;
        ASSERT_TRUE(h);
        EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "a live handler";
    }
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(GetClassObject(kHandlerClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "a client holds the factory";
    factory->LockServer(TRUE);
    factory->Release();
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "LockServer";
    ASSERT_EQ(GetClassObject(kHandlerClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    factory->LockServer(FALSE);
    factory->Release();
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

TEST_F(ComFrame, ASecondLiveHandlerDoesNothing) {
    FolderList list;
    list.Append({"Here", scratch.path(), false, false});
    WriteFolderList(dll, list);
    Handler first;
    BuiltMenu firstMenu;
    BuildMenu(first, scratch.path(), firstMenu);
    EXPECT_EQ(HRESULT_CODE(firstMenu.hr), 9);

    {
        Handler second;
        BuiltMenu secondMenu;
        BuildMenu(second, scratch.path(), secondMenu);
        EXPECT_EQ(secondMenu.hr, S_OK);
        EXPECT_TRUE(secondMenu.items.empty());
        char buffer[16] = "untouched";
        EXPECT_EQ(second.menu->GetCommandString(8, GCS_HELPTEXTA, nullptr, buffer, sizeof buffer), S_OK);
        EXPECT_STREQ(buffer, "untouched");
        EXPECT_EQ(second.menu->GetCommandString(5, GCS_VERBA, nullptr, buffer, sizeof buffer), S_OK);
    }
}

TEST_F(ComFrame, TheNextHandlerActsAgainOnceAllAreGone) {
    { Handler gone; }
    Handler again;
    BuiltMenu menu;
    BuildMenu(again, scratch.path(), menu);
    EXPECT_EQ(HRESULT_CODE(menu.hr), 8);
    EXPECT_FALSE(menu.items.empty());
}

}  // namespace
