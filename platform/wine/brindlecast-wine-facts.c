/* Runs inside a Wine prefix and lists what Windows knows of its top-level windows and
   X11 does not: one line per window drawn into an X11 window,
       <X11 window id> TAB <style, hex> TAB <extended style, hex> TAB <class name, UTF-8>
   Built with the MinGW-w64 cross compiler; started by the program with the prefix and
   the Wine loader of the poker program whose windows it asks about. */
#include <windows.h>
#include <stdio.h>

static BOOL CALLBACK listWindow(HWND hwnd, LPARAM unused)
{
    (void)unused;
    /* Wine keeps the X11 window a top-level window is drawn into as this property. */
    const ULONG_PTR x11 = (ULONG_PTR)GetPropA(hwnd, "__wine_x11_whole_window");
    if (x11 == 0)
        return TRUE;
    WCHAR name[256];
    if (GetClassNameW(hwnd, name, 256) <= 0)
        name[0] = 0;
    /* One field per line: no control characters in the name. */
    for (WCHAR *c = name; *c; ++c) {
        if (*c < 0x20)
            *c = L'?';
    }
    char utf8[1024];
    if (!WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof utf8, NULL, NULL))
        utf8[0] = 0;
    printf("%lu\t%08lx\t%08lx\t%s\n", (unsigned long)x11, (unsigned long)(DWORD)GetWindowLongW(hwnd, GWL_STYLE),
           (unsigned long)(DWORD)GetWindowLongW(hwnd, GWL_EXSTYLE), utf8);
    return TRUE;
}

int main(void)
{
    if (!EnumWindows(listWindow, 0)) {
        fprintf(stderr, "EnumWindows failed: %lu\n", (unsigned long)GetLastError());
        return 1;
    }
    return fflush(stdout) == 0 ? 0 : 1;
}
