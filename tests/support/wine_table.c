/* A stand-in for a poker program's windows under Wine: for each CLASS STYLE TITLE given
   (style in hex), a top-level window of that Windows class with exactly that style.
   "#32770" is the system's dialog class, used as it is. Prints "shown" once all are up,
   then runs until it is closed or killed. */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static HWND createWindow(const wchar_t *className, DWORD style, const wchar_t *title, int index)
{
    if (wcscmp(className, L"#32770") != 0) {
        WNDCLASSW windowClass = {0};
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(NULL);
        windowClass.lpszClassName = className;
        windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        RegisterClassW(&windowClass);
    }
    HWND window = CreateWindowExW(0, className, title, style & ~WS_VISIBLE, 40 + 60 * index, 40 + 40 * index, 634, 478,
                                  NULL, NULL, GetModuleHandleW(NULL), NULL);
    if (!window)
        return NULL;
    /* CreateWindow adds bits of its own (a caption to an overlapped window): set exactly. */
    SetWindowLongW(window, GWL_STYLE, style & ~WS_VISIBLE);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc < 4 || (argc - 1) % 3 != 0) {
        fprintf(stderr, "usage: CLASS STYLE TITLE [CLASS STYLE TITLE]...\n");
        return 2;
    }
    for (int i = 1; i + 2 < argc; i += 3) {
        const DWORD style = wcstoul(argv[i + 1], NULL, 16);
        if (!createWindow(argv[i], style, argv[i + 2], i / 3)) {
            fprintf(stderr, "cannot create a window of class %ls: error %lu\n", argv[i], (unsigned long)GetLastError());
            return 1;
        }
    }
    printf("shown\n");
    fflush(stdout);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
