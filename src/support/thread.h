// Detached worker threads, sleeping and lock files.
#pragma once

int tarv_thread_create(const char* name, void (*function)(void*), void* argument);
void tarv_sleep_ms(int milliseconds);
// Ends the process with this status after the delay, unless it has ended
// by then; for an exit that must happen even if the orderly one stalls.
void tarv_exit_after(int milliseconds, int status);
int tarv_lock_file(const char* path);
int tarv_unlock_file(int descriptor);
