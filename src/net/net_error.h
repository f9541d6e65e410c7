// Network error codes shared by the socket layer and its users.
#pragma once

constexpr int NET_ERR_UNKNOWN = -1;
constexpr int NET_ERR_NONE = -2;
constexpr int NET_ERR_UNINITIALIZED = -10;
constexpr int NET_ERR_BAD_ARGUMENT = -11;
constexpr int NET_ERR_FAULT = -12;
constexpr int NET_ERR_NO_DESCRIPTORS = -13;
constexpr int NET_ERR_NO_MEMORY = -14;
constexpr int NET_ERR_TOO_BIG = -15;
constexpr int NET_ERR_ADDRESS_IN_USE = -16;
constexpr int NET_ERR_BROKEN_PIPE = -20;
constexpr int NET_ERR_RESET = -21;
constexpr int NET_ERR_HOST_DOWN = -22;
constexpr int NET_ERR_HOST_UNREACHABLE = -23;
constexpr int NET_ERR_NETWORK_DOWN = -24;
constexpr int NET_ERR_NETWORK_UNREACHABLE = -25;
constexpr int NET_ERR_NETWORK_RESET = -26;
constexpr int NET_ERR_WOULD_BLOCK = -30;
constexpr int NET_ERR_IN_PROGRESS = -31;
constexpr int NET_ERR_INTERRUPTED = -32;
constexpr int NET_ERR_REFUSED = -40;
constexpr int NET_ERR_TIMEOUT = -41;
constexpr int NET_ERR_ALREADY = -42;
constexpr int NET_ERR_IS_CONNECTED = -43;
constexpr int NET_ERR_NOT_CONNECTED = -44;

// Maps a system error number; anything unlisted gives -1.
int tarv_net_error_from_errno(int error_number);
// The same for the current errno.
int tarv_net_last_error();
const char* tarv_net_error_text(int code);
// True for the codes that mean "try again later" (-30, -31, -32, -2).
bool tarv_net_error_is_temporary(int code);
