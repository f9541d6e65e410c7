#include "config/config_view.h"

int tarv_theme_menu_item(int first_item, int theme_id) {
    for (int i = 0; i < 9; ++i)
        if (tarv_theme_ids[i] == theme_id) return first_item + i;
    return 0;
}

int tarv_background_style_menu_item(int style) {
    for (int i = 0; i < 6; ++i)
        if (tarv_background_styles[i] == style) return MENU_BACKGROUND_STYLE_FIRST + i;
    return 0;
}

int tarv_group_mode_menu_item(int mode) {
    switch (mode) {
        case 0: return MENU_GROUP_OFF;
        case 1: return MENU_GROUP_VERTICAL;
        case 2: return MENU_GROUP_HORIZONTAL;
        default: return 0;
    }
}

int tarv_layout_menu_item(int layout) {
    return layout >= 0 && layout <= 2 ? MENU_LAYOUT_EMBEDDED + layout : 0;
}
