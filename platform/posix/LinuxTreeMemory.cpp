#include "platform/TreeMemory.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>

namespace quillory {

namespace {

// The parent of a process, from /proc/PID/stat; its name may hold spaces and
// parentheses, so the fields are counted from the last ')'.
qint64 ParentOf(const QString& pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() : -1;
}

// Pss_Anon + Pss_Shmem of one process, in KiB; 0 when it is gone.
qint64 OwnMemoryKiB(qint64 pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    qint64 kib = 0;
    for (const QByteArray& line : rollup.readAll().split('\n')) {
        if (line.startsWith("Pss_Anon:") || line.startsWith("Pss_Shmem:"))
            kib += line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return kib;
}

}  // namespace

std::optional<qint64> TreeMemoryKiB(qint64 rootPid)
{
    QMultiHash<qint64, qint64> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (isPid)
            children.insert(ParentOf(entry), pid);
    }
    qint64 total = 0;
    QList<qint64> pending{rootPid};
    while (!pending.isEmpty()) {
        const qint64 pid = pending.takeLast();
        total += OwnMemoryKiB(pid);
        pending += children.values(pid);
    }
    return total;
}

}  // namespace quillory
