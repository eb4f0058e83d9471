#include "platform/KeyCodes.h"

#include <QGuiApplication>
#include <array>

namespace quillory {

namespace {

// X key codes are evdev codes plus 8; these are the keys' places on a US keyboard.
constexpr int kEvdevOffset = 8;
struct ScanKey {
    quint32 evdev;
    int vk;
};
// clang-format off
constexpr std::array<ScanKey, 60> kUsPositions{{
    {2, '1'},  {3, '2'},  {4, '3'},  {5, '4'},  {6, '5'},  {7, '6'},  {8, '7'},  {9, '8'},  {10, '9'},
    {11, '0'}, {16, 'Q'}, {17, 'W'}, {18, 'E'}, {19, 'R'}, {20, 'T'}, {21, 'Y'}, {22, 'U'}, {23, 'I'},
    {24, 'O'}, {25, 'P'}, {30, 'A'}, {31, 'S'}, {32, 'D'}, {33, 'F'}, {34, 'G'}, {35, 'H'}, {36, 'J'},
    {37, 'K'}, {38, 'L'}, {44, 'Z'}, {45, 'X'}, {46, 'C'}, {47, 'V'}, {48, 'B'}, {49, 'N'}, {50, 'M'},
    {59, VK_F1},      {60, VK_F1 + 1},  {61, VK_F1 + 2},  {62, VK_F1 + 3},  {63, VK_F1 + 4},
    {64, VK_F1 + 5},  {65, VK_F1 + 6},  {66, VK_F1 + 7},  {67, VK_F1 + 8},  {68, VK_F1 + 9},
    {87, VK_F1 + 10}, {88, VK_F1 + 11}, {82, VK_NUMPAD0}, {79, VK_NUMPAD0 + 1}, {80, VK_NUMPAD0 + 2},
    {81, VK_NUMPAD0 + 3}, {75, VK_NUMPAD0 + 4}, {76, VK_NUMPAD0 + 5}, {77, VK_NUMPAD0 + 6},
    {71, VK_NUMPAD0 + 7}, {72, VK_NUMPAD0 + 8}, {73, VK_NUMPAD0 + 9}, {1, VK_ESCAPE}, {15, VK_TAB},
}};
// clang-format on

}  // namespace

int VirtualKeyFromKeysym(quint32 keysym)
{
    if (keysym >= 'a' && keysym <= 'z')
        return static_cast<int>(keysym - 'a' + 'A');
    if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= '0' && keysym <= '9'))
        return static_cast<int>(keysym);
    if (keysym >= 0xffb0 && keysym <= 0xffb9)  // KP_0 .. KP_9
        return VK_NUMPAD0 + static_cast<int>(keysym - 0xffb0);
    if (keysym >= 0xffbe && keysym <= 0xffc9)  // F1 .. F12
        return VK_F1 + static_cast<int>(keysym - 0xffbe);
    return 0;
}

int VirtualKeyFromX11ScanCode(quint32 scanCode)
{
    for (const ScanKey& key : kUsPositions) {
        if (key.evdev + kEvdevOffset == scanCode)
            return key.vk;
    }
    return 0;
}

int VirtualKeyCode(const QKeyEvent& event)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (const int vk = VirtualKeyFromKeysym(event.nativeVirtualKey()))
            return vk;
        if (const int vk = VirtualKeyFromQtKey(event.key(), event.modifiers()))
            return vk;
        // Another layout's letter or sign: name the key by its place on a US
        // keyboard, as the old key codes did.
        return VirtualKeyFromX11ScanCode(event.nativeScanCode());
    }
    return VirtualKeyFromQtKey(event.key(), event.modifiers());
}

}  // namespace quillory
