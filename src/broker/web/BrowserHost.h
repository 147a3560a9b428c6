#pragma once
// The window a program hands to its sessions for their browsers: the
// browser is placed in it invisibly instead of opening a window of its own.

class QWidget;

struct BrowserHost {
    QWidget* widget = nullptr;
};
