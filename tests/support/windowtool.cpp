// Watches for a dialog of another program by its caption.
//   windowtool snap "caption" out.bmp seconds   saves a picture of it
//   windowtool answer "caption" seconds         prints its texts, presses OK
//   windowtool key "caption" control vk         a key typed into one of its controls
//   windowtool press "caption" button           clicks one of its buttons
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HWND waitFor(const char* caption, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (HWND h = FindWindowA("#32770", caption))
            if (IsWindowVisible(h)) return h;
        Sleep(100);
    }
    return nullptr;
}

BOOL CALLBACK printText(HWND child, LPARAM) {
    char cls[32] = {}, text[2048] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(cls, "Static") == 0 && text[0]) std::printf("%s\n", text);
    return TRUE;
}

bool saveBitmap(HWND h, const char* path) {
    RECT r;
    GetWindowRect(h, &r);
    int w = r.right - r.left, ht = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, ht);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi = {};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = ht;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biCompression = BI_RGB;
    int stride = ((w * 3 + 3) / 4) * 4;
    std::string pixels((size_t)stride * ht, '\0');
    GetDIBits(mem, bmp, 0, ht, &pixels[0], (BITMAPINFO*)&bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER bf = {};
    bf.bfType = 0x4D42;
    bf.bfOffBits = sizeof bf + sizeof bi;
    bf.bfSize = bf.bfOffBits + (DWORD)pixels.size();
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fwrite(&bf, sizeof bf, 1, f);
    std::fwrite(&bi, sizeof bi, 1, f);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    std::fclose(f);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::string(argv[1]) == "snap") {
        HWND h = waitFor(argv[2], std::atoi(argv[4]));
        if (!h) return 1;
        Sleep(300); // let it paint
        EnumChildWindows(h, printText, 0);
        return saveBitmap(h, argv[3]) ? 0 : 1;
    }
    if (argc >= 4 && std::string(argv[1]) == "answer") {
        HWND h = waitFor(argv[2], std::atoi(argv[3]));
        if (!h) return 1;
        EnumChildWindows(h, printText, 0);
        PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
    if (argc >= 5 && std::string(argv[1]) == "key") {
        HWND h = waitFor(argv[2], 10);
        HWND control = h ? GetDlgItem(h, std::atoi(argv[3])) : nullptr;
        if (!control) return 1;
        UINT vk = (UINT)std::atoi(argv[4]);
        PostMessageA(control, WM_KEYDOWN, vk, 1);
        PostMessageA(control, WM_KEYUP, vk, 0xC0000001);
        Sleep(400); // the page changes and paints
        return 0;
    }
    if (argc >= 4 && std::string(argv[1]) == "press") {
        HWND h = waitFor(argv[2], 10);
        if (!h) return 1;
        int id = std::atoi(argv[3]);
        PostMessageA(h, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(h, id));
        return 0;
    }
    std::fprintf(stderr, "usage: windowtool snap CAPTION OUT.bmp SECONDS | answer CAPTION SECONDS"
                         " | key CAPTION CONTROL VK | press CAPTION BUTTON\n");
    return 2;
}
