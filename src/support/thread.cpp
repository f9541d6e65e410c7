#include "support/thread.h"

#include "support/debug_log.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr int module_threads = 7;

struct thread_start {
    void (*function)(void*);
    void* argument;
};

void* thread_body(void* raw)
{
    thread_start* start = static_cast<thread_start*>(raw);
    start->function(start->argument);
    delete start;
    return nullptr;
}

}  // namespace

int tarv_thread_create(const char* name, void (*function)(void*), void* argument)
{
    thread_start* start = function ? new (std::nothrow) thread_start{function, argument} : nullptr;
    pthread_attr_t attributes;
    bool ok = start && pthread_attr_init(&attributes) == 0;
    if (ok) {
        pthread_t thread;
        ok = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
             pthread_create(&thread, &attributes, thread_body, start) == 0;
        pthread_attr_destroy(&attributes);
    }
    if (!ok) {
        delete start;
        tarv_debug_log_flagged("Error in tarv_thread_create(), thread create failed?", 1, module_threads);
        return 0;
    }
    return 1;
}

void tarv_sleep_ms(int milliseconds)
{
    if (milliseconds <= 0) return;
    timespec delay{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    nanosleep(&delay, nullptr);
}

namespace {

struct exit_order {
    int milliseconds;
    int status;
};

void exit_when_due(void* raw)
{
    exit_order order = *static_cast<exit_order*>(raw);
    delete static_cast<exit_order*>(raw);
    tarv_sleep_ms(order.milliseconds);
    std::fflush(nullptr);
    _exit(order.status);
}

}  // namespace

void tarv_exit_after(int milliseconds, int status)
{
    auto* order = new (std::nothrow) exit_order{milliseconds, status};
    if (order && tarv_thread_create("exit", exit_when_due, order)) return;
    // No thread to wait in: end now rather than never.
    std::fflush(nullptr);
    _exit(status);
}

int tarv_lock_file(const char* path)
{
    if (!path) return -1;
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (lockf(fd, F_TLOCK, 0) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int tarv_unlock_file(int descriptor)
{
    if (descriptor < 0) return 0;
    bool released = lockf(descriptor, F_ULOCK, 0) == 0;
    close(descriptor);
    return released ? 1 : 0;
}
