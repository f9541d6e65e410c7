// A demultiplexer sink that writes down what it is given, one event a string.
#pragma once

#include "connection/stream_demux.h"

#include <functional>
#include <string>
#include <vector>

struct recording_sink : tarv_demux_sink {
    std::vector<std::string> events;
    std::vector<int> run_lengths;
    int blocks_begun = 0;
    int blocks_ended = 0;
    std::function<void(const char* name)> on_tag;

    void demux_block_begin() override { ++blocks_begun; }
    void demux_text(const char* text, int length) override
    {
        events.push_back("T:" + std::string(text, static_cast<size_t>(length)));
        run_lengths.push_back(length);
    }
    void demux_password_mode(bool hidden) override { events.push_back(hidden ? "PW:hide" : "PW:show"); }
    void demux_bell() override { events.push_back("BEL"); }
    void demux_tag(const char* name, const char* data, int length) override
    {
        events.push_back("TAG:" + std::string(name) + "|" + std::string(data, static_cast<size_t>(length)) + "|" +
                         std::to_string(length));
        if (on_tag) on_tag(name);
    }
    void demux_tag_end(const char* end_name, const char* start_name) override
    {
        events.push_back("END:" + std::string(end_name) + "|" + start_name);
    }
    void demux_block_end() override { ++blocks_ended; }

    // Text runs joined, since where a block ends decides where runs split.
    std::vector<std::string> merged() const
    {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.rfind("T:", 0) == 0 && !out.empty() && out.back().rfind("T:", 0) == 0)
                out.back() += e.substr(2);
            else
                out.push_back(e);
        }
        return out;
    }
};
