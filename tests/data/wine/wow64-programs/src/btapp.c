/* The main program of each made-up test program (APP_NAME names it). With /com PROGID it
 * creates that COM class through the registry, the way a program that uses its own
 * in-process server would, so make-fixture.sh can tell that an install still works in the
 * view it was registered in. Built for 32 and 64 bits; see ../README.md. */
#include <windows.h>
#include <objbase.h>
#include <stdio.h>

#ifndef APP_NAME
#error define APP_NAME
#endif

int wmain(int argc, WCHAR **argv) {
    printf("%s\n", APP_NAME);
    if (argc < 3 || lstrcmpiW(argv[1], L"/com") != 0) return 0;

    CLSID clsid;
    IUnknown *object = NULL;
    CoInitialize(NULL);
    HRESULT hr = CLSIDFromProgID(argv[2], &clsid);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(&clsid, NULL, CLSCTX_INPROC_SERVER, &IID_IUnknown, (void **)&object);
    if (object) object->lpVtbl->Release(object);
    CoUninitialize();
    printf("%ls: %s (0x%08lx)\n", argv[2], SUCCEEDED(hr) ? "created" : "failed", (unsigned long)hr);
    return SUCCEEDED(hr) ? 0 : 1;
}
