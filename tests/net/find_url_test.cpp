#include "net/find_url.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct url_case {
    const char* text;
    int position;
    const char* expected; // nullptr: no address at that position
};

TEST(FindUrl, RecognisesAddressesInProse)
{
    const url_case cases[] = {
        // An address in parentheses at the end of a sentence.
        {"see (www.karthem.net).", 8, "www.karthem.net"},
        // A mail address is not a web address.
        {"mail bob@karthem.net now", 10, nullptr},
        // A version number has no host ending.
        {"client 1.095 released", 9, nullptr},
        {"go to http://karthem.net/help?x=1, then", 12, "http://karthem.net/help?x=1"},
        {"go to http://karthem.net/help?x=1, then", 6, "http://karthem.net/help?x=1"},
        // The scheme starts the address even when glued to a word.
        {"linkhttps://a.b/c", 12, "https://a.b/c"},
        {"[ftp://files.karthem.net/pack]", 3, "ftp://files.karthem.net/pack"},
        // A closing bracket without an opening one belongs to the address.
        {"http://wiki.org/Foo_(bar)", 3, "http://wiki.org/Foo_(bar)"},
        {"karthem.net", 0, "karthem.net"},
        {"karthem.net:8080/map", 14, "karthem.net:8080/map"},
        {"karthem.net:0", 2, nullptr},
        {"karthem.net:x", 2, nullptr},
        {"karthem..net", 2, nullptr},
        {"Karthem.NET", 2, nullptr},
        {"file.c", 2, nullptr},
        {"notes.longer", 2, nullptr},
        {"http://nodot", 3, nullptr},
        // Positions on punctuation that is trimmed, outside the text, on a blank.
        {"(www.karthem.net).", 0, nullptr},
        {"(www.karthem.net).", 17, nullptr},
        {"www.karthem.net", 15, nullptr},
        {"www.karthem.net", -1, nullptr},
        {"a www.karthem.net", 1, nullptr},
        {"\"www.karthem.net\"", 5, "www.karthem.net"},
        {"<www.karthem.net>", 5, "www.karthem.net"},
        {"(http://karthem.net)", 3, "http://karthem.net"},
        {"http://karthem.net/x)", 3, "http://karthem.net/x)"},
    };
    for (const url_case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " @" + std::to_string(c.position));
        tarv_text_buffer result;
        int start = -7, end = -7;
        int found = tarv_find_url_at(c.text, c.position, result, &start, &end);
        if (!c.expected) {
            EXPECT_EQ(found, 0);
            EXPECT_EQ(start, -7);
            continue;
        }
        ASSERT_EQ(found, 1);
        EXPECT_STREQ(result.c_str(), c.expected);
        std::string text(c.text);
        EXPECT_EQ(text.substr(start, end - start + 1), c.expected);
    }
}

} // namespace
