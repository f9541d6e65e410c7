// The application object that the toolkit starts.
#pragma once

#include <wx/app.h>

class tarv_app : public wxApp {
public:
    bool OnInit() override;
    int OnExit() override;
};

extern int screen_width;
extern int screen_height;
