#pragma once
// libcurl, loaded when the first mail is sent rather than with the program: it brings some
// thirty libraries (TLS, Kerberos, LDAP …) that every start-up would otherwise pay for.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

struct CurlLibrary {
    CURLcode (*global_init)(long flags);
    CURL* (*easy_init)();
    CURLcode (*easy_setopt)(CURL* curl, CURLoption option, ...);
    CURLcode (*easy_perform)(CURL* curl);
    CURLcode (*easy_getinfo)(CURL* curl, CURLINFO info, ...);
    void (*easy_cleanup)(CURL* curl);
    const char* (*easy_strerror)(CURLcode code);
    curl_slist* (*slist_append)(curl_slist* list, const char* text);
    void (*slist_free_all)(curl_slist* list);
    curl_mime* (*mime_init)(CURL* curl);
    curl_mimepart* (*mime_addpart)(curl_mime* mime);
    CURLcode (*mime_data)(curl_mimepart* part, const char* data, size_t size);
    CURLcode (*mime_type)(curl_mimepart* part, const char* type);
    CURLcode (*mime_encoder)(curl_mimepart* part, const char* encoding);
    CURLcode (*mime_filedata)(curl_mimepart* part, const char* path);
    CURLcode (*mime_filename)(curl_mimepart* part, const char* name);
    CURLcode (*mime_headers)(curl_mimepart* part, curl_slist* headers, int takeOwnership);
    void (*mime_free)(curl_mime* mime);
};

// The library, initialised once; null when it cannot be loaded.
const CurlLibrary* Curl();
