#include "platform/browser/AddressUrl.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace quillory {

QUrl AddressUrl(const QString& text)
{
    const QString address = text.trimmed();
    const QFileInfo file(address);
    if (!address.isEmpty() && file.exists())
        return QUrl::fromLocalFile(file.absoluteFilePath());
    // A host and a port, which a URL parser would read as a scheme and a path.
    static const QRegularExpression hostAndPort(QStringLiteral("^[^/?#:@]+:[0-9]+([/?#]|$)"));
    if (hostAndPort.match(address).hasMatch())
        return QUrl(QStringLiteral("http://") + address);
    return QUrl::fromUserInput(address);
}

}  // namespace quillory
