#pragma once
// The count-down of ReExe.exe: one tick a second, the command started when
// it reaches zero; shown in a small window when there is one.

#include "helpers/common/HelperLog.h"

#include <QObject>
#include <QTimer>

#include <string>

class QLabel;

class Countdown : public QObject {
    Q_OBJECT
public:
    Countdown(std::string command, int seconds, const HelperLog& log, QLabel* display);
    void Start();

private:
    void Tick();
    void Show();

    std::string command_;
    int remaining_;
    const HelperLog& log_;
    QLabel* display_;
    QTimer timer_;
};
