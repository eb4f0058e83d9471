#pragma once
// A desktop of made-up top-level windows for tests: answers the window
// functions from a list kept in Z order, topmost first, and records every call.

#include "platform/User32.h"

#include <QString>
#include <QStringList>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class RecordingUser32 final : public quillory::User32 {
public:
    struct Window {
        quillory::WindowHandle handle;
        std::string title;
    };

    std::vector<Window> windows;  // topmost first
    QStringList calls;
    // Called with each call as it is recorded, to look at the program's state at that moment.
    std::function<void(const QString&)> observer;
    // Handles whose title reading throws, to check that a failing step is skipped.
    std::vector<quillory::WindowHandle> unreadable;
    // Functions that throw after being recorded, to check that a failing step is skipped.
    QStringList failingCalls;

    quillory::WindowHandle GetWindow(quillory::WindowHandle hWnd, std::uint32_t uCmd) override
    {
        Record(QStringLiteral("GetWindow %1 %2").arg(hWnd).arg(uCmd));
        if (uCmd == quillory::GW_HWNDFIRST)
            return windows.empty() ? 0 : windows.front().handle;
        for (std::size_t i = 0; i + 1 < windows.size(); ++i) {
            if (windows[i].handle == hWnd)
                return windows[i + 1].handle;
        }
        return 0;
    }

    std::int32_t GetWindowTextLengthA(quillory::WindowHandle hWnd) override
    {
        const Window* window = Find(hWnd);
        return window ? static_cast<std::int32_t>(window->title.size()) : 0;
    }

    std::int32_t GetWindowTextA(quillory::WindowHandle hWnd, char* buffer, std::int32_t size) override
    {
        for (quillory::WindowHandle bad : unreadable) {
            if (bad == hWnd)
                throw std::runtime_error("title cannot be read");
        }
        const Window* window = Find(hWnd);
        if (!window || size <= 0)
            return 0;
        const std::size_t copied = std::min(window->title.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, window->title.data(), copied);
        buffer[copied] = '\0';
        return static_cast<std::int32_t>(copied);
    }

    std::int32_t PostMessageA(quillory::WindowHandle hWnd, std::uint32_t msg, std::uintptr_t, std::intptr_t) override
    {
        Record(QStringLiteral("PostMessageA %1 %2").arg(hWnd).arg(msg == quillory::WM_CLOSE ? "WM_CLOSE" : msg == quillory::WM_CANCELMODE ? "WM_CANCELMODE" : "?"));
        return 1;
    }

    std::int32_t SetForegroundWindow(quillory::WindowHandle hWnd) override
    {
        Record(QStringLiteral("SetForegroundWindow %1").arg(hWnd));
        return 1;
    }

    std::int32_t SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void*, std::uint32_t winIni) override
    {
        Record(QStringLiteral("SystemParametersInfoA %1 %2 %3").arg(action).arg(param == quillory::API_TRUE ? "TRUE" : param == 0 ? "FALSE" : "?").arg(winIni));
        return 1;
    }

    // The calls that start with the given word.
    QStringList CallsOf(const QString& name) const
    {
        QStringList found;
        for (const QString& call : calls) {
            if (call.startsWith(name + QLatin1Char(' ')))
                found << call;
        }
        return found;
    }

private:
    void Record(const QString& call)
    {
        calls << call;
        if (observer)
            observer(call);
        if (failingCalls.contains(call.section(QLatin1Char(' '), 0, 0)))
            throw std::runtime_error("failing call");
    }

    const Window* Find(quillory::WindowHandle hWnd) const
    {
        for (const Window& window : windows) {
            if (window.handle == hWnd)
                return &window;
        }
        return nullptr;
    }
};
