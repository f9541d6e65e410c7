// The toolkit's clipboard, switched to the X11 primary selection, as the
// backend of set_clipboard_data and get_clipboard_data.
#pragma once

// Installs it once; every text display's toolkit shell calls this.
void tarv_install_wx_clipboard();
