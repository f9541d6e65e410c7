// The sound pack's file manifest: one line per file with its hash, size and
// name, as the web server publishes it and as the updater records what it
// has fetched.
#pragma once

#include "support/hash_table.h"

#include <list>
#include <set>
#include <string>

struct qdu_manifest_entry {
    std::string hash;
    int size = 0;
    std::string name;
};

class qdu_file_manifest {
public:
    qdu_file_manifest();
    qdu_file_manifest(const qdu_file_manifest&) = delete;
    qdu_file_manifest& operator=(const qdu_file_manifest&) = delete;

    // One line: 1 when it holds an entry (stored in out), 0 for a comment,
    // -1 for a syntax error (logged with the source, e.g. "file manifest").
    static int parse_line(const char* line, const char* source, qdu_manifest_entry* out);

    // Reads a manifest file, keeping the entries before a bad line. 0 for a
    // missing file or a syntax error.
    int load_file(const char* path);
    int save_file(const char* path) const;

    const qdu_manifest_entry* find(const std::string& name) const;
    // Replaces the hash and size of the entry of that name, or adds the
    // entry at the front.
    void put(const qdu_manifest_entry& entry);
    void add_back(const qdu_manifest_entry& entry);
    void remove(const std::string& name);
    void clear();

    const std::list<qdu_manifest_entry>& entries() const { return entries_; }
    int size() const { return static_cast<int>(entries_.size()); }

private:
    std::list<qdu_manifest_entry> entries_;
    VoidPointerHashTable index_;
};

// Names that may never be updated.
class qdu_exclude_list {
public:
    int load_file(const char* path);
    bool contains(const std::string& name) const { return names_.count(name) != 0; }
    void add(const std::string& name) { names_.insert(name); }

private:
    std::set<std::string> names_;
};

// A name from the network may only name a file inside the sound pack:
// relative, without ".." components or control bytes, and not one of the
// updater's own files. True when it is safe.
bool qdu_safe_file_name(const std::string& name);
