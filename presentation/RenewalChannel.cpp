#include "presentation/RenewalChannel.h"

#include "platform/HandoverChannel.h"
#include "startup/modInitialise.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <chrono>

namespace quillory::renewal {

using modInitialise::PresentationSettings;

namespace {

constexpr int kSettingsWaitMs = 10000;

// Reads exactly size bytes, waiting at most timeoutMs for each part.
std::optional<QByteArray> ReadExactly(int fd, qint64 size, int timeoutMs)
{
    QByteArray data;
    while (data.size() < size) {
        if (!WaitForChannel(fd, timeoutMs))
            return std::nullopt;
        char buffer[4096];
        const qint64 n = ReadChannel(fd, buffer, std::min<qint64>(size - data.size(), sizeof buffer));
        if (n <= 0)
            return std::nullopt;
        data.append(buffer, n);
    }
    return data;
}

}  // namespace

qint64 NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<QByteArray> ReadLine(int fd, int timeoutMs)
{
    QByteArray line;
    for (;;) {
        const std::optional<QByteArray> byte = ReadExactly(fd, 1, timeoutMs);
        if (!byte)
            return std::nullopt;
        if (byte->at(0) == '\n')
            return line;
        line += *byte;
    }
}

QByteArray SettingsMessage()
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out << PresentationSettings.HomepageURL << PresentationSettings.MinDelay
        << qint32(PresentationSettings.AllowNewWindows) << qint32(PresentationSettings.WorkOffline)
        << qint32(PresentationSettings.CloseOpenWindows) << PresentationSettings.Password;
    QByteArray message;
    QDataStream out2(&message, QIODevice::WriteOnly);
    out2 << body;
    return message;
}

bool ReadSettings(int fd)
{
    const std::optional<QByteArray> length = ReadExactly(fd, 4, kSettingsWaitMs);
    if (!length)
        return false;
    quint32 size = 0;
    QDataStream(*length) >> size;
    const std::optional<QByteArray> body = ReadExactly(fd, size, kSettingsWaitMs);
    if (!body)
        return false;
    QDataStream in(*body);
    qint32 allowNewWindows = 0, workOffline = 0, closeOpenWindows = 0;
    in >> PresentationSettings.HomepageURL >> PresentationSettings.MinDelay >> allowNewWindows >> workOffline >>
        closeOpenWindows >> PresentationSettings.Password;
    PresentationSettings.AllowNewWindows = static_cast<Boolean>(allowNewWindows);
    PresentationSettings.WorkOffline = static_cast<Boolean>(workOffline);
    PresentationSettings.CloseOpenWindows = static_cast<Boolean>(closeOpenWindows);
    return in.status() == QDataStream::Ok;
}

}  // namespace quillory::renewal
