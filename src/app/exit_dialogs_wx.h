// The five small modal questions asked before quitting or disconnecting.
#pragma once

#include <wx/dialog.h>

#include "app/mw.h"

class tarv_exit_dialog_wx : public wxDialog {
public:
    tarv_exit_dialog_wx(wxWindow* parent, tarv_mw& core, tarv_exit_dialog kind);

private:
    void on_button(wxCommandEvent& event);

    tarv_mw& core_;
    tarv_exit_dialog kind_;
};
