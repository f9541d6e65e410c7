// The application object.
#include <wx/app.h>
