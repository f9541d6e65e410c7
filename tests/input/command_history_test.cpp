#include "input/command_history.h"

#include <gtest/gtest.h>

#include <string>

#include "input/command_line.h"
#include "input_fakes.h"

namespace {

tarv_key_event key(int code) { return {code, false, false, false, false}; }

// The history as the player meets it: through the command line's keys.
struct HistoryWalk : testing::Test {
    fake_edit edit;
    recording_host host;
    tarv_command_line line{edit, &host};

    void tap(int code)
    {
        line.on_key_down(key(code));
        line.on_key_up();
    }
    void send(const std::string& text)
    {
        edit.set_value(text);
        tap(tarv_key::RETURN);
    }
    void up() { tap(tarv_key::UP); }
    void down() { tap(tarv_key::DOWN); }
};

TEST_F(HistoryWalk, DisconnectedListOffersConnectOnly)
{
    up();
    EXPECT_EQ(edit.text, "connect");
    up();
    EXPECT_EQ(edit.text, "connect");
    EXPECT_EQ(line.history().position(), 2);
}

TEST_F(HistoryWalk, TypedTextComesBackAfterWalking)
{
    line.select_history_set(HISTORY_PLAYING);
    send("first");
    send("second");
    edit.type("par");
    up();
    EXPECT_EQ(edit.text, "second");
    up();
    EXPECT_EQ(edit.text, "first");
    up();  // oldest reached
    EXPECT_EQ(edit.text, "first");
    down();
    EXPECT_EQ(edit.text, "second");
    down();
    EXPECT_EQ(edit.text, "par");
    down();  // the blank line below the edit line
    EXPECT_EQ(edit.text, "");
    edit.type("lost");
    down();  // typed on the blank line: not kept
    EXPECT_EQ(edit.text, "");
    up();
    EXPECT_EQ(edit.text, "par");
}

TEST_F(HistoryWalk, RepeatsOfTheNewestAreStoredOnce)
{
    line.select_history_set(HISTORY_PLAYING);
    send("A");
    send("A");
    EXPECT_EQ(line.history().command_count(), 1);
    send("B");
    send("A");
    EXPECT_EQ(line.history().command_count(), 3);
    up();
    EXPECT_EQ(edit.text, "A");
    up();
    EXPECT_EQ(edit.text, "B");
    up();
    EXPECT_EQ(edit.text, "A");
}

TEST_F(HistoryWalk, StoringReturnsToTheEditLine)
{
    line.select_history_set(HISTORY_PLAYING);
    send("one");
    send("two");
    up();
    up();
    EXPECT_EQ(line.history().position(), 3);
    send("three");
    EXPECT_EQ(line.history().position(), 1);
    up();
    EXPECT_EQ(edit.text, "three");
}

TEST_F(HistoryWalk, OnlyTheNewest98AreKept)
{
    line.select_history_set(HISTORY_PLAYING);
    for (int i = 0; i < 100; ++i) send("c" + std::to_string(i));
    int recalled = 0;
    std::string shown;
    for (;;) {
        up();
        if (edit.text == shown) break;
        shown = edit.text;
        ++recalled;
    }
    EXPECT_EQ(recalled, 98);
    EXPECT_EQ(shown, "c2");
}

TEST_F(HistoryWalk, PasswordsAreNotStored)
{
    line.select_history_set(HISTORY_LOGIN);
    send("name");
    line.set_password_mode();
    send("secret");
    line.clear_password_mode();
    EXPECT_EQ(line.history().command_count(), 1);
    up();
    EXPECT_EQ(edit.text, "name");
}

TEST_F(HistoryWalk, EachConnectionStateHasItsOwnList)
{
    up();  // offline list, showing "connect"
    line.select_history_set(HISTORY_LOGIN);
    up();  // nothing stored while logging in yet
    EXPECT_EQ(edit.text, "connect");  // unchanged
    send("name");
    line.select_history_set(HISTORY_PLAYING);
    send("look");
    up();
    EXPECT_EQ(edit.text, "look");
    up();
    EXPECT_EQ(edit.text, "look");  // nothing from before login

    // Back offline: its list and its position (on "connect") return.
    line.select_history_set(HISTORY_OFFLINE);
    EXPECT_EQ(line.history().position(), 2);
    down();
    EXPECT_EQ(line.history().position(), 1);
}

TEST_F(HistoryWalk, UpWalksLinesOfAMultiLineTextFirst)
{
    edit.set_value("ab\ncd\nef");
    edit.set_insertion_point(7);  // inside "ef"
    up();
    EXPECT_EQ(edit.caret, 5);  // end of "cd"
    up();
    EXPECT_EQ(edit.caret, 2);  // end of "ab"
    up();
    EXPECT_EQ(edit.caret, 0);
    EXPECT_EQ(edit.text, "ab\ncd\nef");
    EXPECT_EQ(line.history().position(), 1);
}

TEST_F(HistoryWalk, DownWalksLinesToTheEndThenTheHistory)
{
    line.select_history_set(HISTORY_PLAYING);
    send("older");
    edit.set_value("ab\ncd\nef");
    edit.set_insertion_point(1);
    down();
    EXPECT_EQ(edit.caret, 2);
    down();  // the caret sits on a line end: it must move on, not stay
    EXPECT_EQ(edit.caret, 5);
    down();
    EXPECT_EQ(edit.caret, 8);
    EXPECT_EQ(edit.text, "ab\ncd\nef");
    down();  // now at the end: the edit line is kept and a blank line shown
    EXPECT_EQ(edit.text, "");
    up();
    EXPECT_EQ(edit.text, "ab\ncd\nef");
}

TEST(HistoryList, RejectsUnknownLists)
{
    tarv_command_history history;
    history.select_history_set(3);
    history.select_history_set(-1);
    EXPECT_EQ(history.current_history(), HISTORY_OFFLINE);
}

TEST(HistoryListing, OldestFirstNumberedDownToOne)
{
    tarv_command_history history;
    history.select_history_set(HISTORY_LOGIN);
    history.store("a");
    history.store("b");
    history.store("c");
    EXPECT_EQ(history.listing(), "\nRecent Command History:\n 3 - a\n 2 - b\n 1 - c\n");
}

TEST(HistoryListing, ShowsNineteenAtMostAndCutsLongCommands)
{
    tarv_command_history history;
    history.select_history_set(HISTORY_PLAYING);
    history.store(std::string(7000, 'L'));
    for (int i = 0; i < 24; ++i) history.store("k" + std::to_string(i));
    std::string expected = "\nRecent Command History:";
    for (int n = 19; n >= 1; --n) {
        char number[8];
        std::snprintf(number, sizeof number, "%2d", n);
        expected += "\n" + std::string(number) + " - k" + std::to_string(24 - n);
    }
    expected += "\n";
    EXPECT_EQ(history.listing(), expected);

    tarv_command_history single;
    single.select_history_set(HISTORY_PLAYING);
    single.store(std::string(7000, 'L'));
    EXPECT_EQ(single.listing(), "\nRecent Command History:\n 1 - " + std::string(5999, 'L') + "\n");
}

TEST(HistoryListing, EmptyListHasOnlyTheHeading)
{
    tarv_command_history history;
    history.select_history_set(HISTORY_LOGIN);
    EXPECT_EQ(history.listing(), "\nRecent Command History:\n");
}

}  // namespace
