// Choosing, creating and write-testing the per-user configuration directory.
#pragma once

struct tarv_text_buffer;

// 1 on success, 0 on failure.
int tarv_client_set_up_config_directory(const char* base_name);
// The stored path without a trailing separator, or nullptr before set-up.
const char* tarv_client_get_config_directory();
int tarv_client_check_config_directory(const char* path);

// Directory primitives; error_text (optional) gets the failing path appended.
int tarv_create_and_check_writeable_directory(const char* path, int mode, tarv_text_buffer* error_text);
int tarv_recursive_mkdir(const char* path, int mode, tarv_text_buffer* error_text);
