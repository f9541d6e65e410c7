// The panel around the command line: draws its frame (which can blink) and
// places the native text entry inside it through the entry's peer.
#pragma once

#include <string>

#include "draw/embedded_window.h"

class tarv_input_window : public tarv_embedded_window {
public:
    tarv_input_window(int x, int y, int width, int height, std::string name = "main input window");

    // The command line's toolkit control; sized on every layout.
    void set_edit_peer(tarv_window_peer* peer);
    tarv_window_peer* edit_peer() const { return edit_peer_; }

    // Where the command line goes for the panel's current size.
    struct rect {
        int x, y, width, height;
    };
    rect edit_rect() const;

    void update_content(bool rebuild) override;
    void render(tarv_bitmap& surface) override;
    bool animation_callback(int elapsed_ms) override;
    // The panel itself takes no typing: focus goes on to the command line.
    void on_focus() override;

private:
    tarv_window_peer* edit_peer_ = nullptr;
};
