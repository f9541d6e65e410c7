// Detached worker threads, sleeping and lock files.
#pragma once

int tarv_thread_create(const char* name, void (*function)(void*), void* argument);
void tarv_sleep_ms(int milliseconds);
int tarv_lock_file(const char* path);
int tarv_unlock_file(int descriptor);
