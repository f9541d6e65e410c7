// The toolkit's entry point.
#include "app/app_wx.h"

wxIMPLEMENT_APP(tarv_app);
