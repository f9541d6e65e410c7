#include "support/text_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(TextBuffer, AppendsAndCutsAtTheLimit)
{
    tarv_text_buffer buffer;
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(buffer.append("ab"));
    EXPECT_TRUE(buffer.append_char('c'));
    EXPECT_TRUE(buffer.append("defgh", 2));
    EXPECT_STREQ(buffer.c_str(), "abcde");
    EXPECT_EQ(buffer.length, 5);

    std::string big(6000, 'x');
    EXPECT_FALSE(buffer.append(big.c_str()));
    EXPECT_EQ(buffer.length, tarv_text_buffer::max_length);
    EXPECT_EQ(std::strlen(buffer.c_str()), 5999u);
    EXPECT_TRUE(buffer.full());
    EXPECT_FALSE(buffer.append_char('y'));
    EXPECT_FALSE(buffer.append("y"));
    EXPECT_TRUE(buffer.append(""));
    EXPECT_EQ(buffer.length, tarv_text_buffer::max_length);

    buffer.assign("new");
    EXPECT_STREQ(buffer.c_str(), "new");
    EXPECT_EQ(buffer.length, 3);
    buffer.clear();
    EXPECT_STREQ(buffer.c_str(), "");
}

TEST(TextBuffer, ExactFitReportsSuccess)
{
    tarv_text_buffer buffer;
    EXPECT_TRUE(buffer.append(std::string(5998, 'a').c_str()));
    EXPECT_TRUE(buffer.append_char('b'));
    EXPECT_EQ(buffer.length, 5999);
    EXPECT_EQ(buffer.c_str()[5998], 'b');
}

TEST(TextBuffer, LengthFollowsTheVisibleText)
{
    tarv_text_buffer buffer;
    EXPECT_TRUE(buffer.append("ab\0cd", 5));
    EXPECT_TRUE(buffer.append_char('\0'));
    EXPECT_TRUE(buffer.append(nullptr));
    EXPECT_EQ(buffer.length, 2);
    EXPECT_TRUE(buffer.append_format("%d-%c-%s", 7, '\0', "z"));
    EXPECT_EQ(buffer.length, static_cast<int>(std::strlen(buffer.c_str())));
    EXPECT_STREQ(buffer.c_str(), "ab7-");
}

TEST(TextBuffer, FormatCutsAtTheLimit)
{
    tarv_text_buffer buffer;
    buffer.assign(std::string(5990, '.').c_str());
    EXPECT_TRUE(buffer.append_format("%05d", 42));
    EXPECT_EQ(std::string(buffer.c_str() + 5990), "00042");
    EXPECT_FALSE(buffer.append_format("%s", "123456789"));
    EXPECT_EQ(buffer.length, 5999);
    EXPECT_EQ(std::string(buffer.c_str() + 5990), "000421234");
}
