#include "config/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "support/debug_log.h"

tarv_atomic_file::tarv_atomic_file(std::string path) : path_(std::move(path)) {
    std::vector<char> name(path_.begin(), path_.end());
    for (char c : std::string(".XXXXXX")) name.push_back(c);
    name.push_back(0);
    int fd = mkstemp(name.data());
    if (fd < 0) {
        TARV_LOG(1, "Warning in tarv_atomic_file::tarv_atomic_file(), cannot create a temporary file for '%s': %s.\n",
                 path_.c_str(), std::strerror(errno));
        return;
    }
    temp_path_ = name.data();
    file_ = fdopen(fd, "wb");
    if (!file_) {
        close(fd);
        unlink(temp_path_.c_str());
        temp_path_.clear();
    }
}

tarv_atomic_file::~tarv_atomic_file() { abandon(); }

void tarv_atomic_file::abandon() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_path_.empty()) {
        unlink(temp_path_.c_str());
        temp_path_.clear();
    }
}

bool tarv_atomic_file::commit() {
    if (!file_) return false;
    int err = 0;
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_))
        err = errno ? errno : EIO;
    else if (fsync(fileno(file_)) != 0)
        err = errno;
    errno = 0;
    if (std::fclose(file_) != 0 && !err) err = errno ? errno : EIO;
    file_ = nullptr;
    if (!err && std::rename(temp_path_.c_str(), path_.c_str()) != 0) err = errno;
    if (err) {
        TARV_LOG(1, "Warning in tarv_atomic_file::commit(), writing '%s' failed: %s; the old file stays.\n",
                 path_.c_str(), std::strerror(err));
        abandon();
        return false;
    }
    temp_path_.clear();
    // Make the rename itself durable.
    std::string folder = path_;
    std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : folder.substr(0, slash));
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}
