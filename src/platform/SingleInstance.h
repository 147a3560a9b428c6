#pragma once
// One running program per program folder. The first start holds a lock file
// in the folder and listens on a local socket named after the folder; a
// second start finds the lock taken, sends the hand-over to the first and
// ends, so the user sees the running window instead of a second program.

#include <QLockFile>
#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The message a second start sends (the value the window answers to).
    static constexpr int HandOverMessage = 1025;

    explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock without waiting. A lock left by a process that died
    // counts as free. On success the hand-over listener is running.
    bool tryAcquire();
    // For a second start: tells the running instance to come to the front.
    // False when no running instance answered.
    bool sendHandOver(int timeoutMs = 3000);

    // Socket name for a folder: the same folder always gives the same name,
    // short enough for the platform's socket path limit.
    static QString serverNameFor(const QString& programFolder);
    static QString lockFilePathFor(const QString& programFolder);

signals:
    void handOverReceived();

private:
    void readHandOver();

    QString folder_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};
