/* A made-up library for the shared DLLs, codecs and drivers the test programs install.
 * DriverProc is the entry point the multimedia system calls in a Drivers32 driver; this
 * one accepts being loaded and opened and supports nothing else. */
#include <windows.h>
#include <mmsystem.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved) { return TRUE; }

LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM param1, LPARAM param2) {
    return DefDriverProc(id, driver, message, param1, param2);
}
