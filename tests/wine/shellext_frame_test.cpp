// SkipdoorCM.dll as a COM server: the registry entries DllRegisterServer
// writes and DllUnregisterServer removes, the type library, the version
// resource, the class factory, interface identity and when the DLL may unload.
#include "skipdoorcm.h"
#include "tests/wine/shellext_fixture.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

const std::string kClass = "CLSID\\{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}";
const char kTypeLib[] = "TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}\\1.0";

std::string ValueOf(const std::string& subKey, const char* name = nullptr) {
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    if (RegGetValueA(HKEY_CLASSES_ROOT, subKey.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size)) return "<none>";
    return buffer;
}

using Frame = ShellextTest;

TEST_F(Frame, RegistrationAndVersion) {
    ASSERT_EQ(dll.registered, S_OK);
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
    };
    for (const auto& row : rows) EXPECT_EQ(ValueOf(row.key, row.name), row.value) << row.key;
    unique_hkey key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, kTypeLib, 0, KEY_READ, key.put()), ERROR_SUCCESS);

    EXPECT_EQ(dll.Call("DllUnregisterServer"), S_OK);
    for (const auto& row : rows) EXPECT_EQ(ValueOf(row.key, row.name), "<none>") << row.key;
    EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, kTypeLib, 0, KEY_READ, key.put()), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, key.put()), ERROR_SUCCESS) << "other classes kept";

    // The version resource names the DLL's own file.
    const std::string& path = dll.path;
    DWORD ignored = 0;
    std::string data(GetFileVersionInfoSizeA(path.c_str(), &ignored), '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), &data[0]));
    void* name = nullptr;
    UINT length = 0;
    VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\OriginalFilename", &name, &length);
    EXPECT_EQ(std::string(name ? static_cast<char*>(name) : "<none>"), path.substr(path.rfind('\\') + 1));
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
        Handler h;
        auto query = [&](REFIID riid) {
            void* out = nullptr;
            if (SUCCEEDED(h.init->QueryInterface(riid, &out))) static_cast<IUnknown*>(out)->Release();
            return out;
        };
        EXPECT_EQ(query(IID_IContextMenu), h.menu);
        EXPECT_EQ(query(IID_IContextMenu2), h.menu);
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
