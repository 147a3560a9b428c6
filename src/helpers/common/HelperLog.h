#pragma once
// The helpers' own log files in Bin/ (Replace.log, ReExe.log): stamped
// lines in the Shift-JIS text form of the program's logs.

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
