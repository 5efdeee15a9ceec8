// SkipdoorCM.dll as a COM server: the registry entries DllRegisterServer
// writes for every user and DllInstall for the user alone, and their removal,
// the type library, the class factory, interface identity and when the DLL
// may unload.
#include "skipdoorcm.h"
#include "tests/wine/shellext_fixture.h"
#include "win/registry_classes.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

const std::string kClass = "CLSID\\{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}";
const char kTypeLib[] = "TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}\\1.0";

// The machine's classes (HKEY_CLASSES_ROOT, as DllRegisterServer writes
// them) or the user's, with class keys in this process's own view.
struct Classes {
    bool user;
    unique_hkey userKey;
    explicit Classes(bool forUser) : user(forUser) {
        if (user) OpenClasses(HKEY_CURRENT_USER, KEY_ALL_ACCESS, userKey.put());
    }
    HKEY root() const { return user ? userKey.get() : HKEY_CLASSES_ROOT; }
    REGSAM view() const { return user ? kClassesView : 0; }
    std::string Path(const std::string& key) const { return (user && key.rfind("CLSID", 0) == 0 ? ClassViewPrefix() : "") + key; }
    std::string Value(const std::string& subKey, const char* name = nullptr) const {
        unique_hkey key;
        char buffer[1024] = {};
        DWORD size = sizeof buffer - 1;
        if (RegOpenKeyExA(root(), Path(subKey).c_str(), 0, KEY_READ | view(), key.put()) != ERROR_SUCCESS) return "<none>";
        return RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ? "<value none>" : buffer;
    }
    void Set(const std::string& subKey, const std::string& value, DWORD options = 0) const {
        unique_hkey key;
        RegCreateKeyExA(root(), Path(subKey).c_str(), 0, nullptr, options, KEY_ALL_ACCESS | view(), nullptr, key.put(), nullptr);
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
};

using Frame = ShellextTest;

// For every user (DllRegisterServer) or for the user alone (DllInstall
// "user"): over a stale or foreign registration of the same names, exactly
// the product's entries; removed whole again. (That a registration for the
// user writes nothing for the machine, wine.installer checks.)
TEST_F(Frame, RegistrationForTheMachineOrTheUserLeavesExactlyItsEntries) {
    ASSERT_EQ(dll.registered, S_OK);
    auto install = dll.Export<HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR)>("DllInstall");
    ASSERT_NE(install, nullptr);
    char shortPath[MAX_PATH] = {};
    GetShortPathNameA(dll.path.c_str(), shortPath, MAX_PATH);
    const struct {
        std::string key;
        const char* name;
        std::string value;
    } rows[] = {
        {"SkipdoorCM.SkipdoorCMH.1", nullptr, "SkipdoorCMH Class"},
        {"SkipdoorCM.SkipdoorCMH.1\\CLSID", nullptr, "{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}"},
        {"SkipdoorCM.SkipdoorCMH", nullptr, "SkipdoorCMH Class"},
        {"SkipdoorCM.SkipdoorCMH\\CLSID", nullptr, "{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}"},
        {"SkipdoorCM.SkipdoorCMH\\CurVer", nullptr, "SkipdoorCM.SkipdoorCMH.1"},
        {kClass, nullptr, "SkipdoorCMH Class"},
        {kClass + "\\ProgID", nullptr, "SkipdoorCM.SkipdoorCMH.1"},
        {kClass + "\\VersionIndependentProgID", nullptr, "SkipdoorCM.SkipdoorCMH"},
        {kClass + "\\InprocServer32", nullptr, shortPath},
        {kClass + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {kClass + "\\TypeLib", nullptr, "{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}"},
        {kClass + "\\Stale", nullptr, "<none>"},
        {"SkipdoorCM.SkipdoorCMH\\Stale", nullptr, "<none>"},
        {kTypeLib, nullptr, "SkipdoorCM 1.0 Type Library"},
    };
    const Classes machine(false);
    for (const bool user : {false, true}) {
        SCOPED_TRACE(user ? "for the user" : "for every user");
        const Classes classes(user);
        EXPECT_EQ(dll.Call("DllUnregisterServer"), S_OK);
        classes.Set(kClass + "\\InprocServer32", "C:\\elsewhere\\Other.dll");
        classes.Set(kClass + "\\Stale", "");
        classes.Set("SkipdoorCM.SkipdoorCMH\\Stale", "");
        EXPECT_EQ(user ? install(TRUE, L"user") : dll.Call("DllRegisterServer"), S_OK);
        for (const auto& row : rows) EXPECT_EQ(classes.Value(row.key, row.name), row.value) << row.key;
        EXPECT_EQ(user ? install(FALSE, L"user") : dll.Call("DllUnregisterServer"), S_OK);
        for (const auto& row : rows) EXPECT_EQ(classes.Value(row.key, row.name), "<none>") << row.key;
    }
    EXPECT_NE(machine.Value("CLSID"), "<none>") << "other classes kept";

    // Another command writes nothing; a registration that cannot be written
    // whole (here: a volatile key where the type library goes, which takes no
    // lasting subkeys) fails and leaves nothing behind.
    const Classes user(true);
    EXPECT_EQ(install(TRUE, L"everyone"), E_INVALIDARG);
    EXPECT_EQ(install(TRUE, nullptr), E_INVALIDARG);
    EXPECT_EQ(user.Value(kClass), "<none>");
    user.Set("TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}", "", REG_OPTION_VOLATILE);
    EXPECT_TRUE(FAILED(install(TRUE, L"user")));
    for (const auto& row : rows) EXPECT_EQ(user.Value(row.key, row.name), "<none>") << row.key;
    RegDeleteKeyExA(user.root(), "TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}", kClassesView, 0);
    EXPECT_EQ(dll.Call("DllRegisterServer"), S_OK);

}

TEST_F(Frame, ClassFactoryInterfacesAndUnloading) {
    auto getClassObject = dll.Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(kHandlerClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(dll.Call("DllCanUnloadNow"), S_FALSE) << "a client holds the factory";
    IUnknown* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(factory, IID_IUnknown, reinterpret_cast<void**>(&object)), CLASS_E_NOAGGREGATION);
    factory->Release();
    EXPECT_EQ(dll.Call("DllCanUnloadNow"), S_OK);
    {
        Handler handler;
        auto query = [&](REFIID riid) {
            void* out = nullptr;
            if (SUCCEEDED(handler.init->QueryInterface(riid, &out))) static_cast<IUnknown*>(out)->Release();
            return out;
        };
        EXPECT_EQ(query(IID_IContextMenu), handler.menu);
        EXPECT_EQ(query(IID_IContextMenu2), handler.menu);
        EXPECT_EQ(query(IID_IUnknown), query(IID_ISkipdoorCMH));
        EXPECT_EQ(query(IID_IDispatch), nullptr);
        EXPECT_EQ(dll.Call("DllCanUnloadNow"), S_FALSE) << "a live handler";

        // While one handler lives, a second one adds nothing to its menu.
        Handler second;
        second.Init(scratch.path());
        second.Query();
        EXPECT_EQ(GetMenuItemCount(second.hmenu), 0);
    }
    EXPECT_EQ(dll.Call("DllCanUnloadNow"), S_OK);
}

}  // namespace
