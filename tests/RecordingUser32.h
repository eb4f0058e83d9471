#pragma once
// A desktop of made-up top-level windows for tests: answers the window
// functions from a list kept in Z order, topmost first, and records every call.

#include "platform/User32.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>
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
    // Handles whose title reading throws, and functions that throw after being
    // recorded, to check that a failing step is skipped.
    std::vector<quillory::WindowHandle> unreadable;
    QStringList failingCalls;
    // The clock and the last input from a person, unrecorded: by default
    // somebody has just used the machine, so every navigation counts.
    std::uint32_t tickCount = 0;
    std::uint32_t lastInput = 0;
    bool inputUnknown = false;

    quillory::WindowHandle GetWindow(quillory::WindowHandle hWnd, std::uint32_t uCmd) override
    {
        Record(QStringLiteral("GetWindow %1 %2").arg(hWnd).arg(uCmd));
        if (uCmd == quillory::GW_HWNDFIRST)
            return windows.empty() ? 0 : windows.front().handle;
        const auto it = Find(hWnd);
        return it != windows.end() && it + 1 != windows.end() ? (it + 1)->handle : 0;
    }

    std::int32_t GetWindowTextLengthA(quillory::WindowHandle hWnd) override
    {
        const auto it = Find(hWnd);
        return it != windows.end() ? static_cast<std::int32_t>(it->title.size()) : 0;
    }

    std::int32_t GetWindowTextA(quillory::WindowHandle hWnd, char* buffer, std::int32_t size) override
    {
        if (std::count(unreadable.begin(), unreadable.end(), hWnd))
            throw std::runtime_error("title cannot be read");
        const auto it = Find(hWnd);
        if (it == windows.end() || size <= 0)
            return 0;
        const std::size_t copied = std::min(it->title.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, it->title.data(), copied);
        buffer[copied] = '\0';
        return static_cast<std::int32_t>(copied);
    }

    std::int32_t PostMessageA(quillory::WindowHandle hWnd, std::uint32_t msg, std::uintptr_t, std::intptr_t) override
    {
        return Record(QStringLiteral("PostMessageA %1 %2")
                          .arg(hWnd)
                          .arg(msg == quillory::WM_CLOSE        ? "WM_CLOSE"
                               : msg == quillory::WM_CANCELMODE ? "WM_CANCELMODE"
                                                                : "?"));
    }

    std::int32_t SetForegroundWindow(quillory::WindowHandle hWnd) override
    {
        return Record(QStringLiteral("SetForegroundWindow %1").arg(hWnd));
    }

    std::int32_t SystemParametersInfoA(std::uint32_t action, std::uint32_t param, void*, std::uint32_t winIni) override
    {
        return Record(QStringLiteral("SystemParametersInfoA %1 %2 %3")
                          .arg(action)
                          .arg(param == quillory::API_TRUE ? "TRUE"
                               : param == 0                ? "FALSE"
                                                           : "?")
                          .arg(winIni));
    }

    std::int32_t GetLastInputInfo(quillory::LASTINPUTINFO* info) override
    {
        if (inputUnknown)
            return 0;
        info->dwTime = lastInput;
        return 1;
    }

    std::uint32_t GetTickCount() override { return tickCount; }

    // The calls that start with the given word.
    QStringList CallsOf(const QString& name) const
    {
        return calls.filter(QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(name) + QLatin1Char(' ')));
    }

private:
    // Records a call; returns 1, the functions' success.
    int Record(const QString& call)
    {
        calls << call;
        if (observer)
            observer(call);
        if (failingCalls.contains(call.section(QLatin1Char(' '), 0, 0)))
            throw std::runtime_error("failing call");
        return 1;
    }

    std::vector<Window>::const_iterator Find(quillory::WindowHandle hWnd) const
    {
        return std::find_if(windows.begin(), windows.end(), [&](const Window& w) { return w.handle == hWnd; });
    }
};
