#include "app/exit_dialogs_wx.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace {

struct dialog_text {
    const char* title;
    const char* message;
    const char* ok;
    const char* no;  // nullptr: no negative button
    int button_border;
};

// Indexed by tarv_exit_dialog.
const dialog_text dialog_texts[] = {
    {"Quit Karthem?",
     "Your new character is not yet fully created.\nIf you quit now, your work may be lost.\n\nAre you sure?",
     "&Quit", nullptr, 0},
    {"Save and Leave Karthem?", "Log off and save your character?", "&Save and Quit", nullptr, 10},
    {"Logoff Warning", "You are currently connected to the game.\n\nLog off and save your character?", "&Logoff",
     "&Exit Program", 10},
    {"Disconnect Warning", "If you disconnect now, your new character may be lost!\n\nAre you sure?", "&Disconnect",
     nullptr, 0},
    {"Disconnect Warning",
     "You are currently connected to the game.\n\nIf possible, you should 'recall' and 'quit'\nto log off your "
     "character instead of disconnecting.\nOtherwise, your character may be stranded in\nthe game world without you "
     "controlling it.\n\nTo try to log off the game, click the 'Logoff' button.\nIf you really just want to "
     "disconnect, click 'Disconnect'.",
     "&Logoff", "&Disconnect", 0},
};

}  // namespace

tarv_exit_dialog_wx::tarv_exit_dialog_wx(wxWindow* parent, tarv_mw& core, tarv_exit_dialog kind)
    : wxDialog(parent, wxID_ANY, dialog_texts[static_cast<int>(kind)].title), core_(core), kind_(kind)
{
    const dialog_text& text = dialog_texts[static_cast<int>(kind)];
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, text.message, wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL),
                0, wxALL | wxALIGN_CENTER_HORIZONTAL, 10);
    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(new wxButton(this, wxID_OK, text.ok));
    if (text.no) buttons->AddButton(new wxButton(this, wxID_NO, text.no));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, "&Cancel"));
    buttons->Realize();
    column->Add(buttons, 0, wxALL | wxEXPAND, text.button_border);
    SetSizerAndFit(column);
    for (int id : {wxID_OK, wxID_NO, wxID_CANCEL}) Bind(wxEVT_BUTTON, &tarv_exit_dialog_wx::on_button, this, id);
}

void tarv_exit_dialog_wx::on_button(wxCommandEvent& event)
{
    const int id = event.GetId();
    const tarv_dialog_button button = id == wxID_OK   ? tarv_dialog_button::ok
                                      : id == wxID_NO ? tarv_dialog_button::no
                                                      : tarv_dialog_button::cancel;
    // Close first: the answer may end the program.
    if (IsModal())
        EndModal(id);
    else
        Hide();
    core_.exit_dialog_choice(kind_, button);
}
