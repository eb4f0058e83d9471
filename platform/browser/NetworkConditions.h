#pragma once
// The network as either engine's emulation is told of it, in the DevTools
// protocol's terms: offline (served from the disk cache only), or as it is.

#include <QJsonObject>

namespace quillory {

inline QJsonObject NetworkConditions(bool offline)
{
    return {{"offline", offline}, {"latency", 0}, {"downloadThroughput", -1}, {"uploadThroughput", -1}};
}

}  // namespace quillory
