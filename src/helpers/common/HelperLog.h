#pragma once
// The helpers' own log files in Bin/ (Replace.log, ReExe.log), stamped
// lines in the Shift-JIS text form of the program's logs, and what they
// make of the output they inherit.

#include <string>

// The folder of the running helper's executable, with a trailing '/'.
std::string OwnFolder();

class HelperLog {
public:
    explicit HelperLog(std::string path);
    void Line(const std::string& text) const;

private:
    std::string path_;
};

// A helper outlives the program that started it, and with it whoever read
// the output it inherited: writing there must not end the helper.
void OutliveInheritedOutput();
