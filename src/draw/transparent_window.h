// A controller without a window of its own that owns and places a group of
// panels (button rows, the channel window, the popup manager). Its panels
// are children of the parent window, so the background shows between them.
#pragma once

class wxWindow;  // only carried for the owners' toolkit shells

class tarv_transparent_window {
public:
    explicit tarv_transparent_window(wxWindow* parent = nullptr) : parent(parent) {}
    virtual ~tarv_transparent_window() = default;
    tarv_transparent_window(const tarv_transparent_window&) = delete;
    tarv_transparent_window& operator=(const tarv_transparent_window&) = delete;

    virtual void show(bool shown) = 0;  // show or hide every owned child
    virtual void layout() = 0;          // place every owned child inside the area
    virtual void redraw_all() = 0;      // rebuild the children's images (theme change)

    void set_rect(int new_x, int new_y, int new_width, int new_height)
    {
        x = new_x;
        y = new_y;
        width = new_width;
        height = new_height;
        layout();
    }
    void set_shown(bool new_shown)
    {
        shown = new_shown;
        show(new_shown);
    }

    // Area in the parent's client coordinates.
    int x = 0;
    int y = 0;
    int width = 10;
    int height = 10;
    bool shown = true;
    wxWindow* parent = nullptr;
};
