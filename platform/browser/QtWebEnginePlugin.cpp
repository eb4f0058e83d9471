#include "platform/browser/QtWebEnginePlugin.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>

namespace quillory {

BrowserFactory LoadQtWebEnginePlugin()
{
    static BrowserFactory create = nullptr;
    if (create)
        return create;
    QStringList reasons;
    for (const QString& folder : {QCoreApplication::applicationDirPath(), QStringLiteral(QUILLORY_PLUGIN_DIR)}) {
        // Never unloaded: the engine's threads and objects live until the program ends.
        QLibrary plugin(folder + QLatin1Char('/') + QLatin1String(kQtWebEnginePlugin));
        // Every symbol now, so that a plugin that does not fit the program fails
        // here rather than when a page first calls into it.
        plugin.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        create = reinterpret_cast<BrowserFactory>(plugin.resolve(kQtWebEngineFactory));
        if (create)
            return create;
        reasons << plugin.errorString();
    }
    qFatal("quillory: cannot load the Qt WebEngine engine: %s", qPrintable(reasons.join(QStringLiteral("; "))));
}

}  // namespace quillory
