#include "net/net_error.h"

#include <cerrno>

int tarv_net_error_from_errno(int e)
{
    switch (e) {
    case 0: return NET_ERR_NONE;
    case EBADF:
    case EINVAL:
    case EBADFD:
    case ENOTSOCK: return NET_ERR_BAD_ARGUMENT;
    case EFAULT: return NET_ERR_FAULT;
    case ENFILE:
    case EMFILE: return NET_ERR_NO_DESCRIPTORS;
    case ENOMEM:
    case ENOBUFS: return NET_ERR_NO_MEMORY;
    case EMSGSIZE: return NET_ERR_TOO_BIG;
    case EADDRINUSE: return NET_ERR_ADDRESS_IN_USE;
    case EPIPE:
    case ESHUTDOWN: return NET_ERR_BROKEN_PIPE;
    case ECONNABORTED:
    case ECONNRESET: return NET_ERR_RESET;
    case EHOSTDOWN: return NET_ERR_HOST_DOWN;
    case EHOSTUNREACH: return NET_ERR_HOST_UNREACHABLE;
    case ENETDOWN: return NET_ERR_NETWORK_DOWN;
    case ENETUNREACH: return NET_ERR_NETWORK_UNREACHABLE;
    case ENETRESET: return NET_ERR_NETWORK_RESET;
    case EAGAIN:
#if defined(EWOULDBLOCK) && EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
#ifdef ERESTART
    case ERESTART:
#endif
        return NET_ERR_WOULD_BLOCK;
    case EINPROGRESS: return NET_ERR_IN_PROGRESS;
    case EINTR: return NET_ERR_INTERRUPTED;
    case ECONNREFUSED: return NET_ERR_REFUSED;
    case ETIMEDOUT: return NET_ERR_TIMEOUT;
    case EALREADY: return NET_ERR_ALREADY;
    case EISCONN: return NET_ERR_IS_CONNECTED;
    case ENOTCONN: return NET_ERR_NOT_CONNECTED;
    default: return NET_ERR_UNKNOWN;
    }
}

int tarv_net_last_error()
{
    return tarv_net_error_from_errno(errno);
}

const char* tarv_net_error_text(int code)
{
    switch (code) {
    case NET_ERR_NONE: return "no error";
    case NET_ERR_UNINITIALIZED: return "network socket subsystem uninitialized";
    case NET_ERR_BAD_ARGUMENT: return "bad function argument";
    case NET_ERR_FAULT: return "address/segmentation fault";
    case NET_ERR_NO_DESCRIPTORS: return "out of file descriptors";
    case NET_ERR_NO_MEMORY: return "oom or buffer space";
    case NET_ERR_TOO_BIG: return "data too big for operation";
    case NET_ERR_ADDRESS_IN_USE: return "address in use";
    case NET_ERR_BROKEN_PIPE: return "broken network pipe";
    case NET_ERR_RESET: return "connection aborted/reset";
    case NET_ERR_HOST_DOWN: return "remote host down";
    case NET_ERR_HOST_UNREACHABLE: return "remote host unreachable";
    case NET_ERR_NETWORK_DOWN: return "network down";
    case NET_ERR_NETWORK_UNREACHABLE: return "network unreachable";
    case NET_ERR_NETWORK_RESET: return "network was reset";
    case NET_ERR_WOULD_BLOCK: return "would block";
    case NET_ERR_IN_PROGRESS: return "in progress";
    case NET_ERR_INTERRUPTED: return "interrupted";
    case NET_ERR_REFUSED: return "connection refused";
    case NET_ERR_TIMEOUT: return "timeout";
    case NET_ERR_ALREADY: return "already done";
    case NET_ERR_IS_CONNECTED: return "already is connected";
    case NET_ERR_NOT_CONNECTED: return "is not connected";
    default: return "unknown error";
    }
}

bool tarv_net_error_is_temporary(int code)
{
    return code == NET_ERR_WOULD_BLOCK || code == NET_ERR_IN_PROGRESS || code == NET_ERR_INTERRUPTED ||
           code == NET_ERR_NONE;
}
