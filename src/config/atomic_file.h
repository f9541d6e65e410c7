// Replaces a file only once its new content is completely on disk: the
// content goes to a temporary file in the same folder, which is flushed,
// synced and then renamed over the old file.
#pragma once

#include <cstdio>
#include <string>

class tarv_atomic_file {
public:
    explicit tarv_atomic_file(std::string path);
    // Removes the temporary file unless commit succeeded.
    ~tarv_atomic_file();
    tarv_atomic_file(const tarv_atomic_file&) = delete;
    tarv_atomic_file& operator=(const tarv_atomic_file&) = delete;

    // The stream to write to, or nullptr when the temporary file could not
    // be created.
    std::FILE* file() const { return file_; }
    // Flushes, syncs, closes and renames. False (and the old file untouched)
    // when any write, the sync, the close or the rename failed.
    bool commit();
    void abandon();

private:
    std::string path_;
    std::string temp_path_;
    std::FILE* file_ = nullptr;
};
