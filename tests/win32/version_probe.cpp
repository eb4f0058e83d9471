// Carries the program's icon and version resource, and prints them as Windows
// reads them back from this executable: "name=value", one a line.
#include <windows.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

int main()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD unused = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path, &unused));
    if (info.empty() || !GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()))
        return 1;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size)) {
        for (const auto& [name, ms, ls] :
             {std::tuple{"FILEVERSION", fixed->dwFileVersionMS, fixed->dwFileVersionLS},
              std::tuple{"PRODUCTVERSION", fixed->dwProductVersionMS, fixed->dwProductVersionLS}})
            std::printf("%s=%u,%u,%u,%u\n", name, HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls));
        std::printf("FILETYPE=%lu\n", fixed->dwFileType);
    }
    for (const char* name : {"Comments", "CompanyName", "LegalCopyright", "ProductName", "FileVersion",
                             "ProductVersion", "InternalName", "OriginalFilename"}) {
        char* value = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &size))
            std::printf("%s=%s\n", name, value);
    }
    for (int pixels : {16, 32}) {
        const HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, pixels, pixels, 0);
        std::printf("icon %dx%d=%s\n", pixels, pixels, icon ? "yes" : "no");
    }
    return 0;
}
