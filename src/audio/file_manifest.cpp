#include "audio/file_manifest.h"

#include "config/atomic_file.h"
#include "support/debug_log.h"
#include "support/util.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int module_updater = 12;
constexpr int file_line_size = 1024;

void log_error(const std::string& text) { tarv_debug_log_flagged(text.c_str(), LOG_CLASS_ERROR, module_updater); }

std::uint32_t entry_hash(const void* record)
{
    return tarv_hash_text(static_cast<const qdu_manifest_entry*>(record)->name.c_str());
}
std::uint32_t key_hash(const void* key) { return tarv_hash_text(static_cast<const char*>(key)); }
int entry_matches(const void* record, const void* key)
{
    return static_cast<const qdu_manifest_entry*>(record)->name == static_cast<const char*>(key);
}

bool is_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

const char* skip_blanks(const char* p)
{
    while (is_blank(*p)) ++p;
    return p;
}

void syntax_error(const char* source, const char* what, const char* line)
{
    log_error(std::string("Syntax error in ") + source + " - " + what + " for line:");
    log_error(line);
}

} // namespace

qdu_file_manifest::qdu_file_manifest() : index_(entry_hash, key_hash, entry_matches) {}

int qdu_file_manifest::parse_line(const char* line, const char* source, qdu_manifest_entry* out)
{
    const char* p = skip_blanks(line);
    if (!*p || *p == '#' || *p == '\n' || *p == '\r') return 0;
    const char* hash_end = p;
    while (*hash_end && !is_blank(*hash_end)) ++hash_end;
    int hex = 0;
    while (p + hex < hash_end && is_hex(p[hex])) ++hex;
    if (hex < 10) {
        syntax_error(source, "bad or missing hash field", line);
        return -1;
    }
    const char* size_word = skip_blanks(hash_end);
    int size = 0;
    if (!*size_word || !parse_leading_int(size_word, &size) || size < 0) {
        syntax_error(source, "bad or missing file size", line);
        return -1;
    }
    const char* name = size_word;
    while (*name && !is_blank(*name)) ++name;
    name = skip_blanks(name);
    // Lines cut at CR LF keep no carriage return in the name.
    std::string name_text(name);
    while (!name_text.empty() && (name_text.back() == '\r' || name_text.back() == '\n')) name_text.pop_back();
    if (name_text.empty()) {
        syntax_error(source, "missing file name", line);
        return -1;
    }
    if (out) {
        out->hash.assign(p, hash_end - p);
        out->size = size;
        out->name = name_text;
    }
    return 1;
}

int qdu_file_manifest::load_file(const char* path)
{
    std::FILE* f = path ? std::fopen(path, "r") : nullptr;
    if (!f) return 0;
    char line[file_line_size + 1];
    int ok = 1;
    while (fget_line(f, line, sizeof line) > 0) {
        qdu_manifest_entry entry;
        int r = parse_line(line, "file manifest", &entry);
        if (r < 0) {
            ok = 0;
            break;
        }
        if (r > 0) add_back(entry);
    }
    std::fclose(f);
    return ok;
}

int qdu_file_manifest::save_file(const char* path) const
{
    // Written aside and renamed, so a crash or a full disk never leaves a
    // truncated manifest behind.
    tarv_atomic_file out(path ? path : "");
    std::FILE* f = path ? out.file() : nullptr;
    if (!f) {
        log_error(std::string("Error in qdu_file_manifest::save_file() - unable to save file '") + (path ? path : "") +
                  "'.");
        return 0;
    }
    std::fputs("# This is an automatically generated file - do not modify\n"
               "# It contains a list of the files currently managed by the\n"
               "# updater.  Changing or deleting it may cause your next\n"
               "# update to download far more things than it needs.\n"
               "\n",
               f);
    for (const qdu_manifest_entry& e : entries_) {
        if (e.hash.size() < 20) {
            char text[64];
            std::snprintf(text, sizeof text, "%d.\n", static_cast<int>(e.hash.size()));
            log_error("Error in qdu_file_manifest::save_file(), file '" + e.name + "' had short hash len of " + text);
        }
        std::fprintf(f, "%s %10d %s\n", e.hash.c_str(), e.size, e.name.c_str());
    }
    if (!out.commit()) {
        log_error(std::string("Error in qdu_file_manifest::save_file() - unable to save file '") + path + "'.");
        return 0;
    }
    return 1;
}

const qdu_manifest_entry* qdu_file_manifest::find(const std::string& name) const
{
    return static_cast<const qdu_manifest_entry*>(index_.find(name.c_str()));
}

void qdu_file_manifest::put(const qdu_manifest_entry& entry)
{
    qdu_manifest_entry* found = static_cast<qdu_manifest_entry*>(index_.find(entry.name.c_str()));
    if (found) {
        found->hash = entry.hash;
        found->size = entry.size;
        return;
    }
    entries_.push_front(entry);
    index_.add(&entries_.front());
}

void qdu_file_manifest::add_back(const qdu_manifest_entry& entry)
{
    qdu_manifest_entry* found = static_cast<qdu_manifest_entry*>(index_.find(entry.name.c_str()));
    if (found) {
        // A repeated name: the later line wins, in place.
        found->hash = entry.hash;
        found->size = entry.size;
        return;
    }
    entries_.push_back(entry);
    index_.add(&entries_.back());
}

void qdu_file_manifest::remove(const std::string& name)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->name == name) {
            index_.remove(&*it);
            entries_.erase(it);
            return;
        }
    }
}

void qdu_file_manifest::clear()
{
    for (qdu_manifest_entry& e : entries_) index_.remove(&e);
    entries_.clear();
}

int qdu_exclude_list::load_file(const char* path)
{
    std::FILE* f = path ? std::fopen(path, "r") : nullptr;
    if (!f) return 0;
    char line[file_line_size + 1];
    while (fget_line(f, line, sizeof line) > 0) {
        const char* p = skip_blanks(line);
        if (!*p || *p == '#') continue;
        names_.insert(p);
    }
    std::fclose(f);
    return 1;
}

bool qdu_safe_file_name(const std::string& name)
{
    if (name.empty() || name[0] == '/') return false;
    for (unsigned char c : name)
        if (c < 32 || c == 127) return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t slash = name.find('/', start);
        std::size_t end = slash == std::string::npos ? name.size() : slash;
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    static const char* const own_files[] = {"download.lck", "update_manifest.lst", "update_exclude.lst",
                                            "tmp/update.tmp"};
    for (const char* own : own_files)
        if (name == own) return false;
    return true;
}
