#pragma once
// main() for the tests that run the web engine: the engine's environment is
// settled first, as the program does, and each test process gets caches of
// its own so that parallel tests never share a disk cache.

#include "platform/browser/BrowserProfile.h"
#include "platform/DialogFont.h"
#include "platform/browser/EngineEnvironment.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#define QUILLORY_TEST_MAIN(TestClass)                                                  \
    int main(int argc, char** argv)                                                    \
    {                                                                                  \
        QTemporaryDir home;                                                            \
        qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toUtf8());  \
        quillory::PrepareEngineEnvironment();                                          \
        int status = 0;                                                                \
        {                                                                              \
            QApplication app(argc, argv);                                              \
            QApplication::setApplicationName(QStringLiteral("quillory-tests"));        \
            quillory::UseDialogFont();                                                 \
            {                                                                          \
                TestClass test;                                                        \
                status = QTest::qExec(&test, argc, argv);                              \
            }                                                                          \
            qDeleteAll(QApplication::topLevelWidgets());                               \
            quillory::ReleaseBrowserProfile();                                         \
        }                                                                              \
        quillory::RemoveSiteData();                                                    \
        return status;                                                                 \
    }
