// Sealed scrollback storage: what was compressed reads back exactly as it
// was written, across block and page boundaries, after rewraps and clears.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/random.h"
#include "text/ansi_display.h"
#include "text/text_store.h"
#include "text_test_util.h"

namespace {

// Game-like bytes: words, colours, attributes, tabs, high characters, bare
// carriage returns and now and then a line far wider than the display.
std::string random_stream(std::uint32_t seed, std::size_t bytes)
{
    static const char* const words[] = {"orc",  "swings", "at",   "you", "misses", "a",     "torch", "north",
                                        "gate", "guard",  "says", "\t",  "\xe9t\xe9", "gold", "coins", "\r"};
    static const char* const codes[] = {"\x1b[31m", "\x1b[1m", "\x1b[0m", "\x1b[36m", "\x1b[2m", "\x1b[7m", "\x1b[33m"};
    tarv_random rng;
    rng.reseed(seed);
    std::string s;
    while (s.size() < bytes) {
        std::uint32_t r = rng.next();
        if (r % 9 == 0) s += codes[(r >> 8) % 7];
        if (r % 2000 == 1) s += std::string(300 + (r >> 12) % 2000, 'x');
        s += words[(r >> 4) % 16];
        s += (r >> 16) % 11 == 0 ? "\n" : " ";
    }
    return s;
}

void feed(tarv_ansi_display& d, const std::string& s)
{
    for (std::size_t at = 0; at < s.size(); at += 4096) d.process_ansi_text(s.data() + at, std::min<std::size_t>(4096, s.size() - at));
}

// Everything a reader of the display sees: each line's runs with their
// colours and widths, whether it ended in a newline, and the render list.
std::string snapshot(tarv_ansi_display& d)
{
    std::string out;
    const tarv_textctrl& t = d.text;
    for (int line = 0; line < t.line_count(); ++line) {
        out += t.line_complete(line) ? "L+" : "L-";
        for (std::size_t i = t.line_chunk_begin(line), e = t.line_chunk_end(line); i < e; ++i) {
            const tarv_textctrl_chunk& c = t.chunk(i);
            out.append(reinterpret_cast<const char*>(&c.color), sizeof c.color);
            out.append(reinterpret_cast<const char*>(&c.width), sizeof c.width);
            out.append(t.chunk_text(c), c.text.length);
            out += '|';
        }
        out += '\n';
    }
    d.for_each_render_run([&](const tarv_render_run_view& run) {
        out += "R" + std::to_string(run.color_code) + "," + std::to_string(run.attributes) + ":" + d.run_text(run) + "\n";
    });
    return out;
}

class SealedStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<tarv_font> font = make_test_font(7, 12, {{'i', 3}, {'x', 9}});
};

TEST_F(SealedStoreTest, RandomStreamsReadBackAsFromPlainStorage)
{
    for (std::uint32_t seed : {1u, 7u}) {
        // 1.5 MB: dozens of sealed text blocks and several sealed pages of each record kind.
        std::string s = random_stream(seed, 3 << 19);
        tarv_ansi_display sealed(font.get(), 0, 0, 500, 300), plain(font.get(), 0, 0, 500, 300);
        plain.set_sealing(false);
        feed(sealed, s);
        feed(plain, s);
        ASSERT_GT(sealed.text.line_count(), 20000) << seed;
        EXPECT_LT(sealed.text.bytes_reserved() * 5, plain.text.bytes_reserved() * 4) << "nothing sealed, seed " << seed;
        EXPECT_EQ(snapshot(sealed), snapshot(plain)) << seed;

        // A narrower window breaks every line anew from the sealed text.
        sealed.set_size(331, 300);
        plain.set_size(331, 300);
        EXPECT_EQ(snapshot(sealed), snapshot(plain)) << "after rewrap, seed " << seed;

        // Wrap off replays the whole render list into the text control.
        sealed.set_wrap(0);
        plain.set_wrap(0);
        EXPECT_EQ(snapshot(sealed), snapshot(plain)) << "after replay, seed " << seed;
    }
}

TEST_F(SealedStoreTest, ClearedDisplayStoresAndSealsAnew)
{
    tarv_ansi_display sealed(font.get(), 0, 0, 500, 300), plain(font.get(), 0, 0, 500, 300);
    plain.set_sealing(false);
    feed(sealed, random_stream(3, 1 << 20));
    sealed.clear_display();
    EXPECT_EQ(sealed.text.line_texts(), std::vector<std::string>{""});

    std::string s = random_stream(4, 1 << 20);
    feed(sealed, s);
    feed(plain, s);
    EXPECT_EQ(snapshot(sealed), snapshot(plain));
}

TEST_F(SealedStoreTest, RepaintOfTheOldestLinesGivesTheSamePixels)
{
    tarv_ansi_display sealed(font.get(), 0, 0, 500, 300), plain(font.get(), 0, 0, 500, 300);
    plain.set_sealing(false);
    std::string s = random_stream(9, 1 << 20);
    feed(sealed, s);
    feed(plain, s);
    for (tarv_ansi_display* d : {&sealed, &plain}) {
        d->freeze_scrolling();
        d->scroll_to_position(0);
    }
    tarv_bitmap a(*sealed.text.paint()), b(*plain.text.paint());
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    EXPECT_EQ(std::vector<std::uint8_t>(a.data(), a.data() + a.stride() * a.GetHeight()),
              std::vector<std::uint8_t>(b.data(), b.data() + b.stride() * b.GetHeight()));
}

TEST(TextArena, SealedBlocksReadBackWhileManyAreRead)
{
    tarv_text_arena arena;
    std::vector<std::string> pieces;
    std::vector<tarv_text_ref> refs;
    tarv_random rng;
    rng.reseed(5);
    // Pieces of up to 6000 bytes in reserve/commit mode: about 90 blocks.
    for (int i = 0; i < 1000; ++i) {
        std::string piece;
        std::size_t n = 1 + rng.next() % 6000;
        while (piece.size() < n) piece += std::to_string(rng.next() % 1000) + (rng.next() % 2 ? " orc " : " gate ");
        piece.resize(n);
        char* out = arena.reserve(n);
        std::memcpy(out, piece.data(), n);
        refs.push_back(arena.commit(n));
        pieces.push_back(piece);
    }
    EXPECT_LT(arena.bytes_reserved() * 4, arena.bytes_stored() * 3);
    // Back and forth, so that the small cache of unpacked blocks keeps turning over.
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t k = 0; k < refs.size(); ++k) {
            std::size_t i = pass == 0 ? k : (k * 7919) % refs.size();
            ASSERT_EQ(std::string(arena.data(refs[i]), refs[i].length), pieces[i]) << i;
        }
}

TEST(TextArena, StreamPiecesSpanningSealedBlocks)
{
    tarv_text_arena arena;
    std::string all;
    for (int i = 0; all.size() < 700000; ++i) {
        std::string line = "line " + std::to_string(i) + " of the stream\n";
        arena.append(line.data(), line.size());
        all += line;
    }
    for (std::uint64_t start : {std::uint64_t{0}, std::uint64_t{65530}, std::uint64_t{200000}, std::uint64_t{all.size() - 10}}) {
        std::uint64_t n = std::min<std::uint64_t>(140000, all.size() - start);
        std::string got;
        arena.for_each_piece(start, n, [&](const char* p, std::size_t k) { got.append(p, k); });
        EXPECT_EQ(got, all.substr(start, n)) << start;
    }
}

TEST(PagedArray, WritesToASealedPageUnsealItAndKeepEveryRecord)
{
    tarv_paged_array<std::uint32_t, 10> a;  // 1024 records a page
    for (std::uint32_t i = 0; i < 10000; ++i) a.push_back(i / 3);
    std::size_t sealed_bytes = a.bytes_reserved();
    EXPECT_LT(sealed_bytes, 10000 * sizeof(std::uint32_t) / 2);

    a.mut(5) = 777777;    // first page, long sealed
    a.insert(9000, 42);   // in the plain tail
    EXPECT_EQ(a.size(), 10001u);
    for (std::uint32_t i = 0; i < 10001; ++i) {
        std::uint32_t want = i == 5 ? 777777 : i < 9000 ? i / 3 : i == 9000 ? 42 : (i - 1) / 3;
        ASSERT_EQ(a[i], want) << i;
    }
    a.clear();
    for (std::uint32_t i = 0; i < 5000; ++i) a.push_back(i * 2);
    for (std::uint32_t i = 0; i < 5000; ++i) ASSERT_EQ(a[i], i * 2) << i;
}

}  // namespace
