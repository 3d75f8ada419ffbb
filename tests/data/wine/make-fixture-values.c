/* Sets the keys and values under Software\BrindleFixture (in HKEY_CURRENT_USER and
 * HKEY_LOCAL_MACHINE) that the fixtures in this folder carry: every value type, the
 * string and DWORD cases that Wine writes as hex, escapes, long hex data, classes, a
 * volatile key, names with brackets and characters outside the ANSI page. Built with
 * x86_64-w64-mingw32-gcc and run once under wine; see README.md. Not part of the build. */
#include <windows.h>
#include <string.h>

static void setv(HKEY k, const WCHAR *name, DWORD type, const void *data, DWORD len) {
    RegSetValueExW(k, name, 0, type, (const BYTE *)data, len);
}
static void sz(HKEY k, const WCHAR *name, DWORD type, const WCHAR *s) {
    setv(k, name, type, s, (DWORD)((wcslen(s) + 1) * sizeof(WCHAR)));
}

static void fill(HKEY root) {
    HKEY base, k, sub;
    RegCreateKeyExW(root, L"Software\\BrindleFixture", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &base, NULL);
    RegCreateKeyExW(base, L"WithClass", 0, (WCHAR *)L"Class \"quoted\" caf\x00e9 [x]\\y", 0, KEY_ALL_ACCESS, NULL, &k, NULL);
    sz(k, L"v", REG_SZ, L"x");
    RegCloseKey(k);
    RegCreateKeyExW(base, L"EmptyWithClass", 0, (WCHAR *)L"plain", 0, KEY_ALL_ACCESS, NULL, &k, NULL);
    RegCloseKey(k);
    RegCreateKeyExW(base, L"VolatileKey", 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &k, NULL);
    sz(k, L"gone", REG_SZ, L"never saved");
    RegCloseKey(k);
    RegCreateKeyExW(base, L"Empty", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL); RegCloseKey(k);
    RegCreateKeyExW(base, L"Implied\\Child", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL);
    sz(k, L"leaf", REG_SZ, L"yes"); RegCloseKey(k);
    RegCreateKeyExW(base, L"Br[ack]ets and caf\x00e9 \x65e5\x672c \xd83d\xde00 tab\tend", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL);
    sz(k, L"name \"quoted\" back\\slash [br] caf\x00e9", REG_SZ, L"v");
    RegCloseKey(k);
    RegCreateKeyExW(base, L"aaa", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL); RegCloseKey(k);
    RegCreateKeyExW(base, L"BBB", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL); RegCloseKey(k);
    RegCreateKeyExW(base, L"_under", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL); RegCloseKey(k);

    RegCreateKeyExW(base, L"Values", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL);
    sz(k, NULL, REG_SZ, L"default");
    sz(k, L"plain", REG_SZ, L"hello world");
    sz(k, L"escapes", REG_SZ, L"q\" b\\ t\t n\n r\r a\a b\b v\v f\f e\x1b del\x7f");
    {
        static const WCHAR ctrl[] = { 1, '9', 2, '7', 0x1f, 'x', 0, '0', 0, 'a', 0 };
        setv(k, L"control", REG_SZ, ctrl, sizeof(ctrl));
    }
    sz(k, L"nonascii", REG_SZ, L"\x00e9" L"a \x00e9" L"z \x00e9" L"F \x00e9" L"g \x1234\x00e9 end\x00e9");
    sz(k, L"astral", REG_SZ, L"\xd83d\xde00" L"b \xd83d\xde00" L"z");
    sz(k, L"empty", REG_SZ, L"");
    setv(k, L"odd", REG_SZ, "abc", 3);
    setv(k, L"onebyte", REG_SZ, "a", 1);
    setv(k, L"zerobytes", REG_SZ, "", 0);
    { static const WCHAR u[] = { 'a', 'b', 'c', 0 }; setv(k, L"unterminated", REG_SZ, u, 4); setv(k, L"multiunterminated", REG_MULTI_SZ, u, 4); }
    sz(k, L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\system32");
    setv(k, L"expandodd", REG_EXPAND_SZ, "abc", 3);
    setv(k, L"multi", REG_MULTI_SZ, L"one\0two\0three\0", sizeof(L"one\0two\0three\0"));
    setv(k, L"multiempty", REG_MULTI_SZ, L"", 2);
    setv(k, L"multinul2", REG_MULTI_SZ, L"\0", 4);
    { DWORD d = 0xdeadbeef; setv(k, L"dword", REG_DWORD, &d, 4); }
    { DWORD d = 10; setv(k, L"dwordsmall", REG_DWORD, &d, 4); }
    setv(k, L"dword3", REG_DWORD, "\x01\x02\x03", 3);
    setv(k, L"dword0", REG_DWORD, "", 0);
    setv(k, L"dword8", REG_DWORD, "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    setv(k, L"binempty", REG_BINARY, "", 0);
    setv(k, L"bin1", REG_BINARY, "\xff", 1);
    {
        BYTE b[300]; int i;
        for (i = 0; i < 300; i++) b[i] = (BYTE)(i * 7);
        setv(k, L"binlong", REG_BINARY, b, 300);
        setv(k, L"a much longer value name that pushes the first hex line", REG_BINARY, b, 100);
        setv(k, L"nonelong", REG_NONE, b, 60);
        setv(k, L"esc\"aped \x00e9\t name", REG_BINARY, b, 90);
        setv(k, L"typebig", 0x12345, b, 40);
        setv(k, L"sz long odd", REG_SZ, b, 77);
    }
    setv(k, L"none", REG_NONE, "", 0);
    setv(k, L"nonedata", REG_NONE, "\x01\x02", 2);
    { unsigned long long q = 0x0123456789abcdefULL; setv(k, L"qword", REG_QWORD, &q, 8); }
    { DWORD d = 0x01020304; setv(k, L"bigendian", REG_DWORD_BIG_ENDIAN, &d, 4); }
    setv(k, L"link type", REG_LINK, L"\\Registry\\Machine", 34);
    RegCloseKey(k);

    RegCreateKeyExW(base, L"Values\\Sub", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &sub, NULL);
    { BYTE b[1]; b[0] = 0; setv(sub, NULL, REG_BINARY, b, 1); }
    RegCloseKey(sub);
    RegCloseKey(base);
}

int main(void) {
    fill(HKEY_CURRENT_USER);
    fill(HKEY_LOCAL_MACHINE);
    return 0;
}
