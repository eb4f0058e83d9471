#pragma once
// The tests' web server: tests/http_server.py on 127.0.0.1, serving
// tests/pages, started and stopped by the test. Collects the paths that
// reached it.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>

class LocalServer {
public:
    ~LocalServer() { Stop(); }

    // Starts on a free port, or on the given one (to come back on the same
    // address after a stop), with the server's further options.
    bool Start(int port = 0, const QStringList& options = {})
    {
        port_ = 0;
        requests_.clear();
        process_.start(QStringLiteral("python3"),
                       QStringList{QUILLORY_TESTS_DIR "/http_server.py", "--root", QUILLORY_TESTS_DIR "/pages",
                                   "--port", QString::number(port)} +
                           options);
        // Python alone may take seconds to start on a machine busy with builds.
        while (process_.waitForReadyRead(30000)) {
            ReadLines();
            if (port_ != 0)
                return true;
        }
        return false;
    }

    void Stop()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }

    int Port() const { return port_; }
    QString Url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path); }

    // The paths requested so far, in order.
    QStringList Requests()
    {
        ReadLines();
        return requests_;
    }

private:
    void ReadLines()
    {
        process_.waitForReadyRead(0);
        while (process_.canReadLine()) {
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.startsWith(QLatin1String("PORT ")))
                port_ = line.mid(5).toInt();
            else if (line.startsWith(QLatin1String("GET ")))
                requests_ << line.mid(4);
        }
    }

    QProcess process_;
    int port_ = 0;
    QStringList requests_;
};
