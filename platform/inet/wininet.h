// The WinInet calls the library makes: one synchronous HTTP(S) GET at a time,
// over libcurl. Handles form the platform's tree (internet handle ->
// connection -> request); each is freed with InternetCloseHandle. Failures
// return false or a null handle and set the thread's last error to the
// platform's code.
//
// Where this differs from the platform: the preconfigured proxy is the one the
// environment names (http_proxy, https_proxy, all_proxy, no_proxy);
// InternetConnectA only records the server, the connection is made when the
// request is sent; there is no cache, so every request goes to the server.
// While the GOST provider is installed (platform/crypt/crypt_env.h), TLS
// connections offer the GOST cipher suites as well, as the platform's TLS
// does with that provider.
#pragma once

#include <cstdint>

struct InternetObject;
using HINTERNET = InternetObject*;

constexpr uint32_t INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr uint32_t INTERNET_OPEN_TYPE_PROXY = 3;

constexpr uint32_t INTERNET_SERVICE_HTTP = 3;

// Request flags (HttpOpenRequestA).
constexpr uint32_t INTERNET_FLAG_RELOAD = 0x80000000;
constexpr uint32_t INTERNET_FLAG_SECURE = 0x00800000;
constexpr uint32_t INTERNET_FLAG_IGNORE_CERT_DATE_INVALID = 0x00002000;
constexpr uint32_t INTERNET_FLAG_IGNORE_CERT_CN_INVALID = 0x00001000;

// Server certificate checks a request skips (INTERNET_OPTION_SECURITY_FLAGS).
constexpr uint32_t SECURITY_FLAG_IGNORE_UNKNOWN_CA = 0x00000100;
constexpr uint32_t SECURITY_FLAG_IGNORE_CERT_CN_INVALID = 0x00001000;
constexpr uint32_t SECURITY_FLAG_IGNORE_CERT_DATE_INVALID = 0x00002000;

// Options of a request handle. Time-outs are 4-byte values in milliseconds:
// by default the connection may take 60 s and the server may stay silent for
// 30 s between two pieces of its response. 0 lifts the receive limit and
// leaves the connection to libcurl's own five minutes.
constexpr uint32_t INTERNET_OPTION_CONNECT_TIMEOUT = 2;
constexpr uint32_t INTERNET_OPTION_RECEIVE_TIMEOUT = 6;
constexpr uint32_t INTERNET_OPTION_SECURITY_FLAGS = 31;
constexpr uint32_t INTERNET_OPTION_PROXY_USERNAME = 43;
constexpr uint32_t INTERNET_OPTION_PROXY_PASSWORD = 44;
constexpr uint32_t INTERNET_OPTION_CLIENT_CERT_CONTEXT = 84;
// This stand-in's own option, which the platform lacks: a 4-byte limit in
// milliseconds on the whole transfer, from the send to the body's last
// byte, however the server spaces its bytes; 0 (the default) sets none.
// Past it the send or the read fails with ERROR_INTERNET_TIMEOUT.
constexpr uint32_t INTERNET_OPTION_TRANSFER_TIMEOUT = 0x10001;

constexpr uint32_t HTTP_QUERY_STATUS_CODE = 19;
constexpr uint32_t HTTP_QUERY_STATUS_TEXT = 20;
constexpr uint32_t HTTP_QUERY_FLAG_NUMBER = 0x20000000;

// The platform's codes these calls report.
constexpr uint32_t ERROR_INTERNET_TIMEOUT = 12002;
constexpr uint32_t ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr uint32_t ERROR_INTERNET_INVALID_URL = 12005;
constexpr uint32_t ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr uint32_t ERROR_INTERNET_INVALID_OPTION = 12009;
constexpr uint32_t ERROR_INTERNET_BAD_OPTION_LENGTH = 12010;
constexpr uint32_t ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
constexpr uint32_t ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
constexpr uint32_t ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr uint32_t ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr uint32_t ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr uint32_t ERROR_INTERNET_SEC_CERT_DATE_INVALID = 12037;
constexpr uint32_t ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;
constexpr uint32_t ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED = 12044;
constexpr uint32_t ERROR_INTERNET_INVALID_CA = 12045;
constexpr uint32_t ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP = 12046;
constexpr uint32_t ERROR_HTTP_HEADER_NOT_FOUND = 12150;
constexpr uint32_t ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr uint32_t ERROR_HTTP_REDIRECT_FAILED = 12156;
constexpr uint32_t ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;
constexpr uint32_t ERROR_INTERNET_PROXY_SERVER_UNREACHABLE = 12165;
constexpr uint32_t ERROR_INTERNET_SEC_INVALID_CERT = 12169;
constexpr uint32_t ERROR_INTERNET_SEC_CERT_REVOKED = 12170;

// `proxy` is "host:port" for INTERNET_OPEN_TYPE_PROXY and null otherwise; no
// bypass list and no flags are supported.
HINTERNET InternetOpenA(const char* agent, uint32_t access_type, const char* proxy,
                        const char* proxy_bypass, uint32_t flags);
// HTTP only, without server credentials. Port 0 is the scheme's default.
HINTERNET InternetConnectA(HINTERNET internet, const char* server, uint16_t port, const char* user,
                           const char* password, uint32_t service, uint32_t flags,
                           uintptr_t context);
// "GET" only; `version` "HTTP/1.1" (also when null) or "HTTP/1.0". The object
// name is the path and query; a missing leading "/" is added. Redirects are
// followed, at most five, between http and https.
HINTERNET HttpOpenRequestA(HINTERNET connection, const char* verb, const char* object_name,
                           const char* version, const char* referrer, const char** accept_types,
                           uint32_t flags, uintptr_t context);
// Sends the request and waits for the response's status and headers. No extra
// headers and no body. Sending again starts the request anew.
bool HttpSendRequestA(HINTERNET request, const char* headers, uint32_t headers_length,
                      void* optional, uint32_t optional_length);
// HTTP_QUERY_STATUS_CODE (as a 4-byte number with HTTP_QUERY_FLAG_NUMBER, else
// as text) and HTTP_QUERY_STATUS_TEXT of a sent request. Texts are written with a terminating
// zero and `length` becomes their length without it; a short buffer fails
// with ERROR_INSUFFICIENT_BUFFER and `length` is the size needed.
bool HttpQueryInfoA(HINTERNET request, uint32_t info_level, void* buffer, uint32_t* length,
                    uint32_t* index);
// Up to `to_read` bytes of the body; true with 0 bytes at its end.
bool InternetReadFile(HINTERNET request, void* buffer, uint32_t to_read, uint32_t* read);
// The thread's last failed HttpSendRequestA or InternetReadFile: its code
// in `error` and, written as the texts of HttpQueryInfoA are, a text of
// its cause in code page 1251, which tells apart causes that share a code
// (a reply without a status line, a header line above 100 KB). Code 0 and
// an empty text before any such failure.
bool InternetGetLastResponseInfoA(uint32_t* error, char* buffer, uint32_t* length);
// INTERNET_OPTION_SECURITY_FLAGS, CONNECT_TIMEOUT, RECEIVE_TIMEOUT and
// TRANSFER_TIMEOUT of a request.
bool InternetQueryOptionA(HINTERNET request, uint32_t option, void* buffer, uint32_t* length);
// The options above, the proxy user name and password (texts of `length`
// bytes) and the client certificate of a request; they take effect when it
// is next sent.
//
// INTERNET_OPTION_CLIENT_CERT_CONTEXT: `buffer` is the certificate context
// itself (PCCERT_CONTEXT of platform/crypt) and `length` its size,
// sizeof(CertContext). The request takes the certificate and the private key
// of the container that its key-provider property names at once, so the
// caller may free the context afterwards; a certificate without a usable key
// fails with ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP and the request keeps what
// it had. Both are offered in the TLS handshake when the server asks for a
// client certificate. A server that asks and does not accept what it gets
// (nothing, or a certificate it does not trust) fails the send with
// ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED.
bool InternetSetOptionA(HINTERNET request, uint32_t option, const void* buffer, uint32_t length);
bool InternetCloseHandle(HINTERNET handle);
