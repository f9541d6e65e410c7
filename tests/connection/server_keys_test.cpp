#include "connection/server_keys.h"
#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

tarv_key_fingerprint key_of(std::uint8_t seed)
{
    tarv_key_fingerprint k{};
    for (std::size_t i = 0; i < k.size(); ++i) k[i] = static_cast<std::uint8_t>(seed * 7 + i * 13);
    return k;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ServerKeys, FingerprintReadsAsHexadecimalDigits)
{
    tarv_key_fingerprint k{};
    k[0] = 0xab;
    k[1] = 0x01;
    k[4] = 0x5c;
    k[31] = 0xff;
    EXPECT_EQ(tarv_fingerprint_hex(k), "ab010000" "5c000000" + std::string(46, '0') + "ff");
    EXPECT_EQ(tarv_format_fingerprint(k), "ab010000 5c000000 00000000 00000000 00000000 00000000 00000000 000000ff");
}

TEST(ServerKeys, RememberedKeysSurviveInTheFile)
{
    TempDir dir;
    const std::string path = dir / "server_keys.txt";
    {
        tarv_server_keys keys(path);
        EXPECT_TRUE(keys.load());  // no file yet: nothing known, nothing wrong
        EXPECT_EQ(keys.find("127.0.0.1", 4000), nullptr);
        EXPECT_TRUE(keys.remember("Game.Example", 3102, key_of(1)));
        EXPECT_TRUE(keys.remember("127.0.0.1", 4000, key_of(2)));
        EXPECT_TRUE(keys.remember("127.0.0.1", 4000, key_of(3)));  // replaces
    }
    std::string text = read_file(path);
    EXPECT_NE(text.find("game.example 3102 " + tarv_fingerprint_hex(key_of(1)) + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(tarv_fingerprint_hex(key_of(2))), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 4), "end\n");

    tarv_server_keys again(path);
    ASSERT_TRUE(again.load());
    ASSERT_NE(again.find("game.example", 3102), nullptr);
    EXPECT_EQ(*again.find("GAME.example", 3102), key_of(1));
    EXPECT_EQ(*again.find("127.0.0.1", 4000), key_of(3));
    EXPECT_EQ(again.find("127.0.0.1", 4001), nullptr);
    // The file is the player's own business.
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
}

struct damage_case {
    const char* name;
    std::string text;
    const char* problem;
    bool b_whole;  // b.example's line came through whole
};

// Whatever is wrong with the file, it is reported, the servers on lines that
// can be read keep their keys, and a server whose line is lost is not known.
TEST(ServerKeys, DamagedFileIsReportedAndTrustsNothingUnread)
{
    const std::string good = tarv_server_keys::format({{{"a.example", 1}, key_of(1)}, {{"b.example", 2}, key_of(2)}});
    const std::string a_line = "a.example 1 " + tarv_fingerprint_hex(key_of(1)) + "\n";
    const std::string b_line = "b.example 2 " + tarv_fingerprint_hex(key_of(2)) + "\n";
    std::string bad_hex = b_line;
    bad_hex[20] = 'g';
    std::string upper = b_line;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const damage_case cases[] = {
        {"cut in the middle of a line", good.substr(0, good.find(b_line) + 40), "the file is cut short", false},
        {"cut at the end of a line", good.substr(0, good.find("end\n")), "the file is cut short", true},
        {"cut before the end line's line feed", good.substr(0, good.size() - 1), "the file is cut short", true},
        {"garbled fingerprint", a_line + bad_hex + "end\n", "line 2 cannot be read", false},
        {"short fingerprint", a_line + b_line.substr(0, 40) + "\nend\n", "line 2 cannot be read", false},
        {"port zero", a_line + "b.example 0 " + tarv_fingerprint_hex(key_of(2)) + "\nend\n",
         "line 2 cannot be read", false},
        {"port too large", a_line + "b.example 65536 " + tarv_fingerprint_hex(key_of(2)) + "\nend\n",
         "line 2 cannot be read", false},
        {"extra field", a_line + b_line.substr(0, b_line.size() - 1) + " x\nend\n", "line 2 cannot be read", false},
        {"bytes of nothing", a_line + std::string("\0\xff\x01 b.example", 13) + "\nend\n", "line 2 cannot be read",
         false},
        {"host with a slash", a_line + "b/x 2 " + tarv_fingerprint_hex(key_of(2)) + "\nend\n",
         "line 2 cannot be read", false},
        {"line after the end", a_line + "end\n" + b_line, "line 3 comes after the end line", false},
        {"second key for a server", a_line + "A.example 1 " + tarv_fingerprint_hex(key_of(2)) + "\nend\n",
         "line 2 gives a second key for the same server", false},
    };
    for (const damage_case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir / "server_keys.txt";
        write_file(path, c.text);
        LogCapture log(1);
        tarv_server_keys keys(path);
        EXPECT_FALSE(keys.load());
        EXPECT_TRUE(keys.damaged());
        EXPECT_EQ(keys.problem(), c.problem);
        EXPECT_NE(log.text().find("is damaged"), std::string::npos) << log.text();
        // a.example's line is whole in every case.
        ASSERT_NE(keys.find("a.example", 1), nullptr);
        EXPECT_EQ(*keys.find("a.example", 1), key_of(1));
        EXPECT_EQ(keys.find("b.example", 2) != nullptr, c.b_whole);
        if (c.b_whole) EXPECT_EQ(*keys.find("b.example", 2), key_of(2));
    }
    {
        TempDir dir;
        write_file(dir / "k", "");
        tarv_server_keys keys(dir / "k");
        EXPECT_FALSE(keys.load());
        EXPECT_EQ(keys.problem(), "the file is cut short");
    }
    // The file as written, with carriage returns, upper-case hexadecimal
    // and comments, is whole.
    TempDir dir;
    write_file(dir / "k", "# note\r\n\r\n" + a_line + upper + "end\r\n");
    tarv_server_keys keys(dir / "k");
    EXPECT_TRUE(keys.load()) << keys.problem();
    ASSERT_NE(keys.find("b.example", 2), nullptr);
    EXPECT_EQ(*keys.find("b.example", 2), key_of(2));
}

TEST(ServerKeys, OversizedOrUnreadableFileIsDamaged)
{
    TempDir dir;
    const std::string path = dir / "server_keys.txt";
    std::string big = "# " + std::string(tarv_server_keys::max_file_size, 'x') + "\nend\n";
    write_file(path, big);
    tarv_server_keys keys(path);
    EXPECT_FALSE(keys.load());
    EXPECT_EQ(keys.problem(), "it is larger than a file of server keys can be");

    // A folder where the file should be cannot be read either.
    tarv_server_keys folder(dir.path());
    EXPECT_FALSE(folder.load());
    EXPECT_FALSE(folder.problem().empty());
}

TEST(ServerKeys, RememberingIntoADamagedFileKeepsTheDamagedOneAside)
{
    TempDir dir;
    const std::string path = dir / "server_keys.txt";
    const std::string torn = "a.example 1 " + tarv_fingerprint_hex(key_of(1)) + "\nb.example 2 ab:cd";
    write_file(path, torn);
    tarv_server_keys keys(path);
    EXPECT_FALSE(keys.load());
    EXPECT_TRUE(keys.remember("c.example", 3, key_of(3)));
    EXPECT_FALSE(keys.damaged());
    EXPECT_EQ(read_file(path + ".damaged"), torn);

    tarv_server_keys again(path);
    ASSERT_TRUE(again.load()) << again.problem();
    ASSERT_NE(again.find("a.example", 1), nullptr);
    ASSERT_NE(again.find("c.example", 3), nullptr);
    EXPECT_EQ(*again.find("c.example", 3), key_of(3));
    EXPECT_EQ(again.find("b.example", 2), nullptr);
}

TEST(ServerKeys, KeyThatCannotBeWrittenIsKeptForTheRun)
{
    TempDir dir;
    // A file where the folder should be: no one can write there, root neither.
    const std::string folder = dir / "not_a_folder";
    write_file(folder, "x");
    LogCapture log(1);
    tarv_server_keys keys(folder + "/server_keys.txt");
    EXPECT_FALSE(keys.remember("a.example", 1, key_of(1)));
    EXPECT_FALSE(keys.load());  // it cannot be read either
    EXPECT_NE(keys.problem().find("cannot be read"), std::string::npos) << keys.problem();
    ASSERT_NE(keys.find("a.example", 1), nullptr);
    EXPECT_EQ(*keys.find("a.example", 1), key_of(1));
}

}  // namespace
