// Small shared helpers: lines, words, numbers, bounded copies, Base64, hashing,
// direction angles.
#pragma once

#include <cstdint>
#include <cstdio>

struct tarv_text_buffer;

// 0 at end of file, else stored characters + 1 (size on overflow).
int fget_line(std::FILE* file, char* buffer, int size);

const char* next_arg(const char* text);
int word_equals(const char* a, const char* b);
int word_is_prefix(const char* word, const char* keyword);
int word_abbrev(const char* word, const char* keyword, int minimum);
int word_in_list(const char* word, const char* list);
int parse_leading_int(const char* text, int* out);
// The value of one hexadecimal digit (either case); -1 for anything else.
int tarv_hex_digit(char c);

int safe_strcpy(char* dest, const char* src, int size);

int base64_append(tarv_text_buffer& buffer, const unsigned char* data, int length);
int base64_append_text(tarv_text_buffer& buffer, const char* text);

std::uint32_t tarv_hash_text(const char* text);

// Whole degrees 0-360 from the positive x axis toward positive y.
int tarv_direction_angle(int dx, int dy);
