#include "base/PrivateFiles.h"

#include <filesystem>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr fs::perms kForeign = fs::perms::group_all | fs::perms::others_all;

// Entry by entry, so one that cannot be changed does not stop the rest.
bool TightenEntry(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || fs::is_symlink(status) || (status.permissions() & kForeign) == fs::perms::none)
        return false;
    fs::permissions(path, kForeign, fs::perm_options::remove, ec);
    return !ec;
}

} // namespace

void MakeNewFilesPrivate()
{
    ::umask(077);
}

int TightenPermissions(const std::string& path)
{
    int changed = TightenEntry(path) ? 1 : 0;
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(path, ec)))
        return changed;
    for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end; it.increment(ec))
        if (TightenEntry(it->path()))
            ++changed;
    return changed;
}
