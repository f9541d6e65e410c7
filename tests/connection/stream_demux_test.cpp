#include "connection/stream_demux.h"
#include "common/log_capture.h"
#include "recording_sink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using strings = std::vector<std::string>;

void feed(tarv_stream_demux& d, const std::string& bytes, tarv_demux_sink& sink)
{
    d.process_socket_data(bytes.data(), static_cast<int>(bytes.size()), sink);
}

const std::string W = "Warning in tarv_mw::process_socket_data(), ";

struct demux_case {
    const char* name;
    std::string input;
    strings events;
    strings warnings;  // each must be logged exactly once
};

TEST(StreamDemux, ByteSequences)
{
    const demux_case cases[] = {
        {"tag with data", ";shp;100 200;ehp;", {"TAG:hp|100 200|7", "END:hp|hp"}, {}},
        {"tag without data", ";tfoo;", {"TAG:foo||0"}, {}},
        {"literal semicolon", "a;;b", {"T:a", "T:;b"}, {}},
        {"carriage returns dropped from data", ";sx;a\r\nb;ex;", {"TAG:x|a\nb|3", "END:x|x"}, {}},
        {"carriage return kept in text", "a\r\nb", {"T:a\r\nb"}, {}},
        {"mismatched end tag", ";sx;data;ey;", {"TAG:x|data|4", "END:y|x"},
         {"Warning tarv_mw::process_socket_data(), tse tag 'y' does not match tss tag 'x'.\n"}},
        {"text right after tag data", ";sx;data;Hello", {"TAG:x|data|4", "T:;Hello"},
         {W + "semicolon found?\n", "Current string data ->;sx;data;Hello<-\n"}},
        {"stray semicolon keeps the byte unexamined", "a;\x07z", {"T:a", "T:;\x07z"},
         {W + "semicolon found?\n"}},
        {"tags between text", "a;tfoo;b;sx;1;ex;c", {"T:a", "TAG:foo||0", "T:b", "TAG:x|1|1", "END:x|x", "T:c"}, {}},
        {"second start before the end tag", ";sa;1;sb;2;eb;", {"TAG:a|1|1", "TAG:b|2|1", "END:b|b"},
         {W + "double start tags?  Previous was 'a'.\n"}},
        {"end tag without start tag", ";ehp;", {"END:hp|"}, {W + "end tag '' without start tag.\n"}},
        {"tag bytes are never telnet, bell or text", ";s\x07;\x07\xff;e\x07;", {"TAG:\x07|\x07\xff|2", "END:\x07|\x07"},
         {}},
        {"empty data", ";sx;;ex;", {"TAG:x||0", "END:x|x"}, {}},
        {"will and wont echo change nothing", "a\xff\xfb\x01" "b\xff\xfc\x01" "c", {"T:a", "T:b", "T:c"}, {}},
        {"dont echo ends the line and hides typing", "pass\xff\xfe\x01" "word", {"T:pass", "T:\n", "PW:hide", "T:word"},
         {}},
        {"do echo shows typing", "\xff\xfd\x01ok", {"PW:show", "T:ok"}, {}},
        {"other options are dropped", "a\xff\xfd\x03" "b", {"T:a", "T:b"}, {}},
        {"doubled IAC vanishes", "a\xff\xff" "b", {"T:a", "T:b"}, {}},
        {"other telnet command drops one byte", "a\xff\xf1" "bc", {"T:a", "T:bc"}, {}},
        {"bell inside a run", "ab\x07" "cd", {"BEL", "T:abcd"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log(2);
        tarv_stream_demux d;
        recording_sink sink;
        feed(d, c.input, sink);
        EXPECT_THAT(sink.events, ElementsAreArray(c.events));
        EXPECT_EQ(d.state(), DEMUX_TEXT);
        for (const auto& w : c.warnings) EXPECT_EQ(log.count(w), 1) << w << "\nlog:\n" << log.text();
        if (c.warnings.empty()) {
            EXPECT_EQ(log.text(), "");
        }
    }
}

TEST(StreamDemux, StraySemicolonLogShowsAtMost5998BytesOfTheBlock)
{
    LogCapture log(2);
    tarv_stream_demux d;
    recording_sink sink;
    const std::string block = ";x" + std::string(7000, 'b');
    feed(d, block, sink);
    EXPECT_EQ(log.count("Current string data ->" + block.substr(0, 5998) + "<-\n"), 1);
}

TEST(StreamDemux, WarningsAreLevelTwo)
{
    LogCapture log(1);
    tarv_stream_demux d;
    recording_sink sink;
    feed(d, ";sx;1;ey;;sa;1;sb;2;eb;;q;e;", sink);
    EXPECT_EQ(log.text(), "");
}

// One stream with every kind of element, cut into two blocks at every
// position and into single bytes: the outcome must not depend on the cuts.
TEST(StreamDemux, AnySplitIntoBlocksGivesTheSameResult)
{
    const std::string stream = "You see;; a door.\r\n;shp;100 200 30 40 50 60;ehp;\x07" "Bell!;tcombat;"
                               "Pass\xff\xfe\x01;smap;a\r\nb;emap;\xff\xfd\x01" "done";
    const strings expected = {"T:You see; a door.\r\n",
                              "TAG:hp|100 200 30 40 50 60|19",
                              "END:hp|hp",
                              "BEL",
                              "T:Bell!",
                              "TAG:combat||0",
                              "T:Pass\n",
                              "PW:hide",
                              "TAG:map|a\nb|3",
                              "END:map|map",
                              "PW:show",
                              "T:done"};
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        tarv_stream_demux d;
        recording_sink sink;
        feed(d, stream.substr(0, cut), sink);
        feed(d, stream.substr(cut), sink);
        EXPECT_THAT(sink.merged(), ElementsAreArray(expected));
    }
    tarv_stream_demux d;
    recording_sink sink;
    for (char c : stream) feed(d, std::string(1, c), sink);
    EXPECT_THAT(sink.merged(), ElementsAreArray(expected));
    EXPECT_EQ(sink.blocks_begun, static_cast<int>(stream.size()));
    EXPECT_EQ(sink.blocks_ended, static_cast<int>(stream.size()));
}

TEST(StreamDemux, TextRunsAreAtMost2560Bytes)
{
    struct run_case {
        std::string input;
        std::vector<int> runs;
    };
    const run_case cases[] = {
        {std::string(6000, 'x'), {2560, 2560, 880}},
        {std::string(5120, 'x'), {2560, 2560}},
        {std::string(2559, 'x'), {2559}},
        // The bell does not end a run; the semicolon does.
        {std::string(2000, 'x') + "\x07" + std::string(1000, 'y'), {2560, 440}},
        {std::string(2000, 'x') + ";;" + std::string(1000, 'y'), {2000, 1001}},
    };
    for (const auto& c : cases) {
        tarv_stream_demux d;
        recording_sink sink;
        feed(d, c.input, sink);
        EXPECT_THAT(sink.run_lengths, ElementsAreArray(c.runs));
    }
}

TEST(StreamDemux, BlockEndsOnceAfterAllItsText)
{
    tarv_stream_demux d;
    recording_sink sink;
    int text_seen_at_end = -1;
    struct end_check : recording_sink {
        int* seen;
        void demux_block_end() override
        {
            *seen = static_cast<int>(events.size());
            recording_sink::demux_block_end();
        }
    } s;
    s.seen = &text_seen_at_end;
    feed(d, "one;tx;two", s);
    EXPECT_EQ(s.blocks_begun, 1);
    EXPECT_EQ(s.blocks_ended, 1);
    EXPECT_EQ(text_seen_at_end, 3);
    d.process_socket_data("", 0, s);
    d.process_socket_data(nullptr, 5, s);
    EXPECT_EQ(s.blocks_begun, 1);
}

std::string name_of(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

TEST(StreamDemux, NamesUpTo63CharactersAreAccepted)
{
    const std::string n63 = name_of(63);
    LogCapture log(2);
    tarv_stream_demux d;
    recording_sink sink;
    feed(d, ";s" + n63 + ";v;e" + n63 + ";;t" + n63 + ";", sink);
    EXPECT_THAT(sink.events, ElementsAre("TAG:" + n63 + "|v|1", "END:" + n63 + "|" + n63, "TAG:" + n63 + "||0"));
    EXPECT_EQ(log.text(), "");
}

TEST(StreamDemux, The64thNameCharacterAbandonsTheTag)
{
    const std::string n64 = name_of(64);
    struct long_case {
        const char* kind;
        std::string input;
        strings events;
    };
    const long_case cases[] = {
        {"tss", ";s" + n64 + "rest;tq;", {"T:rest", "TAG:q||0"}},
        {"tst", ";t" + n64 + "rest;tq;", {"T:rest", "TAG:q||0"}},
        // The start name survives an over-long end name: the next start warns.
        {"tse", ";sa;1;e" + n64 + "rest;tq;", {"TAG:a|1|1", "T:rest", "TAG:q||0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        LogCapture log(2);
        tarv_stream_demux d;
        recording_sink sink;
        feed(d, c.input, sink);
        EXPECT_THAT(sink.events, ElementsAreArray(c.events));
        EXPECT_EQ(log.count(W + c.kind + " tag '" + n64 + "' too long?\n"), 1) << log.text();
        EXPECT_EQ(log.count("double start tags?  Previous was 'a'."), std::string(c.kind) == "tse" ? 1 : 0);
    }
}

TEST(StreamDemux, DataUpTo14999BytesIsDispatched)
{
    const std::string data(14999, 'd');
    LogCapture log(2);
    tarv_stream_demux d;
    recording_sink sink;
    feed(d, ";sbig;" + data.substr(0, 7000), sink);
    feed(d, data.substr(7000) + ";ebig;", sink);
    ASSERT_EQ(sink.events.size(), 2u);
    EXPECT_EQ(sink.events[0], "TAG:big|" + data + "|14999");
    EXPECT_EQ(log.text(), "");
}

TEST(StreamDemux, The15000thDataByteDiscardsTheTag)
{
    LogCapture log(2);
    tarv_stream_demux d;
    recording_sink sink;
    // Carriage returns do not count toward the limit.
    feed(d, ";sbig;" + std::string(14999, 'd') + "\r\r" + "d;ebig;after", sink);
    EXPECT_THAT(sink.events, ElementsAre("END:big|big", "T:after"));
    EXPECT_EQ(log.count(W + "tagged data was too long, discarding.\n"), 1);

    // Bytes past the limit show as text up to the next semicolon.
    recording_sink sink2;
    feed(d, ";sbig;" + std::string(15002, 'd') + ";ebig;", sink2);
    EXPECT_THAT(sink2.events, ElementsAre("T:dd", "END:big|big"));
}

TEST(StreamDemux, ConnectResetKeepsTheOpenTagButClientMessageAbandonsIt)
{
    {
        LogCapture log(2);
        tarv_stream_demux d;
        recording_sink sink;
        feed(d, ";shp;12", sink);
        d.reset_to_text();
        EXPECT_STREQ(d.start_tag_name(), "hp");
        feed(d, "3;ehp;", sink);
        EXPECT_THAT(sink.events, ElementsAre("T:3", "END:hp|hp"));
        EXPECT_EQ(log.text(), "");
    }
    {
        LogCapture log(2);
        tarv_stream_demux d;
        recording_sink sink;
        feed(d, ";shp;12", sink);
        d.reset_for_client_message();
        feed(d, "3;ehp;", sink);
        EXPECT_THAT(sink.events, ElementsAre("T:3", "END:hp|"));
        EXPECT_EQ(log.count("end tag '' without start tag."), 1);
    }
    {
        // A reset in the middle of an end tag's name leaves it behind.
        LogCapture log(2);
        tarv_stream_demux d;
        recording_sink sink;
        feed(d, ";sx;1;ex", sink);
        d.reset_to_text();
        feed(d, ";ex;", sink);
        EXPECT_EQ(log.count("double end tags?  Previous was 'x'."), 1) << log.text();
    }
}

// A handler that prints a client message resets the machine from inside the
// block; the rest of the block then reads from text state.
TEST(StreamDemux, ResetFromInsideATagHandlerWins)
{
    tarv_stream_demux d;
    recording_sink sink;
    sink.on_tag = [&](const char*) { d.reset_for_client_message(); };
    feed(d, ";sx;1;ex;;tail", sink);
    EXPECT_THAT(sink.events, ElementsAre("TAG:x|1|1", "T:ex", "T:;tail"));
}

}  // namespace
