// Feeds arbitrary bytes to the word matchers, the number reader, the line
// reader and Base64: nothing may read past a terminator or a buffer, and the
// results must stay within their documented ranges.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/text_buffer.h"
#include "support/util.h"

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

int first_word_length(const char* text)
{
    int n = 0;
    while (text[n] && text[n] != ' ' && text[n] != '\t' && text[n] != '\n') ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    int minimum = data[0] % 8 - 1;
    int line_size = data[0] % 16 + 1;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::size_t bar = rest.find('|');
    // Exact-size heap copies so a read past the terminator is caught.
    std::string word_text = rest.substr(0, bar);
    std::string keyword_text = bar == std::string::npos ? std::string() : rest.substr(bar + 1);
    char* word = strdup(word_text.c_str());
    char* keyword = strdup(keyword_text.c_str());

    int prefix = word_is_prefix(word, keyword);
    check(prefix == 0 || prefix == first_word_length(word));
    int abbrev = word_abbrev(word, keyword, minimum);
    check(abbrev == 0 || abbrev == prefix);
    int equal = word_equals(word, keyword);
    check(equal == word_equals(keyword, word));
    check(word_in_list(word, keyword) == 0 || word_in_list(word, keyword) == 1);
    for (const char* p = keyword; p; p = next_arg(p)) check(p >= keyword && p <= keyword + std::strlen(keyword));
    int value = 0;
    parse_leading_int(word, &value);
    tarv_hash_text(keyword);

    tarv_text_buffer buffer;
    buffer.assign(word);
    base64_append(buffer, data, static_cast<int>(size));
    check(buffer.length <= tarv_text_buffer::max_length && std::strlen(buffer.c_str()) == std::size_t(buffer.length));

    if (std::FILE* file = std::tmpfile()) {
        std::fwrite(data + 1, 1, size - 1, file);
        std::rewind(file);
        char* line = static_cast<char*>(std::malloc(static_cast<std::size_t>(line_size)));
        int stored = 0;
        int result;
        // Lines come back within their buffer and never exceed the input.
        while ((result = fget_line(file, line, line_size)) > 0) {
            check(result <= line_size);
            stored += static_cast<int>(std::strlen(line));
            check(stored <= static_cast<int>(size));
        }
        std::free(line);
        std::fclose(file);
    }
    std::free(word);
    std::free(keyword);
    return 0;
}
