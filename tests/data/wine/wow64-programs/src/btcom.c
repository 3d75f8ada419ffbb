/* A made-up in-process COM server: one class (BT_CLSID, ProgID BT_PROGID) whose objects
 * do nothing but count references. DllRegisterServer writes its keys under
 * HKEY_CLASSES_ROOT with the path the loader gave this DLL, as most servers do, so a
 * 32-bit copy registered by a 32-bit installer lands in the 32-bit view. */
#include <windows.h>
#include <objbase.h>

#if !defined(BT_CLSID) || !defined(BT_PROGID) || !defined(BT_NAME)
#error define BT_CLSID (braced, as text), BT_PROGID and BT_NAME
#endif
#define WIDEN2(s) L##s
#define WIDEN(s) WIDEN2(s)

static HMODULE g_module;
static LONG g_objects;

typedef struct {
    IUnknown iface;
    LONG refs;
} Thing;

static HRESULT WINAPI ThingQueryInterface(IUnknown *self, REFIID riid, void **out) {
    if (!IsEqualIID(riid, &IID_IUnknown)) {
        *out = NULL;
        return E_NOINTERFACE;
    }
    *out = self;
    self->lpVtbl->AddRef(self);
    return S_OK;
}
static ULONG WINAPI ThingAddRef(IUnknown *self) { return InterlockedIncrement(&((Thing *)self)->refs); }
static ULONG WINAPI ThingRelease(IUnknown *self) {
    ULONG refs = InterlockedDecrement(&((Thing *)self)->refs);
    if (refs == 0) {
        HeapFree(GetProcessHeap(), 0, self);
        InterlockedDecrement(&g_objects);
    }
    return refs;
}
static IUnknownVtbl g_thingVtbl = {ThingQueryInterface, ThingAddRef, ThingRelease};

static HRESULT WINAPI FactoryQueryInterface(IClassFactory *self, REFIID riid, void **out) {
    if (!IsEqualIID(riid, &IID_IUnknown) && !IsEqualIID(riid, &IID_IClassFactory)) {
        *out = NULL;
        return E_NOINTERFACE;
    }
    *out = self;
    return S_OK;
}
static ULONG WINAPI FactoryAddRef(IClassFactory *self) { return 2; }
static ULONG WINAPI FactoryRelease(IClassFactory *self) { return 1; }
static HRESULT WINAPI FactoryCreateInstance(IClassFactory *self, IUnknown *outer, REFIID riid, void **out) {
    *out = NULL;
    if (outer) return CLASS_E_NOAGGREGATION;
    Thing *thing = HeapAlloc(GetProcessHeap(), 0, sizeof *thing);
    if (!thing) return E_OUTOFMEMORY;
    thing->iface.lpVtbl = &g_thingVtbl;
    thing->refs = 1;
    InterlockedIncrement(&g_objects);
    HRESULT hr = ThingQueryInterface(&thing->iface, riid, out);
    ThingRelease(&thing->iface);
    return hr;
}
static HRESULT WINAPI FactoryLockServer(IClassFactory *self, BOOL lock) { return S_OK; }
static IClassFactoryVtbl g_factoryVtbl = {FactoryQueryInterface, FactoryAddRef, FactoryRelease,
                                          FactoryCreateInstance, FactoryLockServer};
static IClassFactory g_factory = {&g_factoryVtbl};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void **out) {
    CLSID own;
    CLSIDFromString(WIDEN(BT_CLSID), &own);
    if (!IsEqualCLSID(clsid, &own)) return CLASS_E_CLASSNOTAVAILABLE;
    return FactoryQueryInterface(&g_factory, riid, out);
}

HRESULT WINAPI DllCanUnloadNow(void) { return g_objects == 0 ? S_OK : S_FALSE; }

static LONG SetText(const WCHAR *key, const WCHAR *name, const WCHAR *text) {
    HKEY handle;
    LONG error = RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, NULL, 0, KEY_WRITE, NULL, &handle, NULL);
    if (error) return error;
    error = RegSetValueExW(handle, name, 0, REG_SZ, (const BYTE *)text, (lstrlenW(text) + 1) * sizeof(WCHAR));
    RegCloseKey(handle);
    return error;
}

HRESULT WINAPI DllRegisterServer(void) {
    WCHAR path[MAX_PATH];
    const WCHAR *clsidKey = L"CLSID\\" WIDEN(BT_CLSID);
    const WCHAR *serverKey = L"CLSID\\" WIDEN(BT_CLSID) L"\\InprocServer32";
    if (!GetModuleFileNameW(g_module, path, MAX_PATH)) return HRESULT_FROM_WIN32(GetLastError());
    LONG error = SetText(clsidKey, NULL, WIDEN(BT_NAME));
    if (!error) error = SetText(serverKey, NULL, path);
    if (!error) error = SetText(serverKey, L"ThreadingModel", L"Apartment");
    if (!error) error = SetText(L"CLSID\\" WIDEN(BT_CLSID) L"\\ProgID", NULL, WIDEN(BT_PROGID));
    if (!error) error = SetText(WIDEN(BT_PROGID), NULL, WIDEN(BT_NAME));
    if (!error) error = SetText(WIDEN(BT_PROGID) L"\\CLSID", NULL, WIDEN(BT_CLSID));
    return error ? HRESULT_FROM_WIN32(error) : S_OK;
}

HRESULT WINAPI DllUnregisterServer(void) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\" WIDEN(BT_CLSID));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, WIDEN(BT_PROGID));
    return S_OK;
}
