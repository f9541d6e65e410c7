// The toolkit's entry point.
#include <wx/app.h>
#include <wx/frame.h>

class tarv_placeholder_app : public wxApp {
public:
    bool OnInit() override { return false; }
};
wxIMPLEMENT_APP(tarv_placeholder_app);
