// libcurl, loaded the first time a transfer needs it rather than when the program starts. Its
// dependencies (TLS, LDAP, Kerberos, SSH, HTTP/2 ...) are twenty shared libraries whose loading
// took more time than a whole `mirabel --count`; most commands never open a connection.
//
// The program calls libcurl's functions by their usual names; these definitions pass each call
// on to the library, opened privately, so its symbols never mix with the program's.
#define CURL_DISABLE_TYPECHECK  // the checking macros would stand in for the definitions below
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>

namespace {

// The calls this program makes; a library that lacks one is not used at all.
struct Curl {
    CURLcode (*globalInit)(long);
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL*, CURLoption, ...);
    CURLcode (*easyPerform)(CURL*);
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
    void (*easyReset)(CURL*);
    void (*easyCleanup)(CURL*);
    const char* (*easyStrerror)(CURLcode);
    char* (*easyEscape)(CURL*, const char*, int);
    void (*free)(void*);
    curl_slist* (*slistAppend)(curl_slist*, const char*);
    void (*slistFreeAll)(curl_slist*);
};

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

Curl* Load() {
    static Curl curl{};
    void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    const bool complete = Find(library, "curl_global_init", curl.globalInit) &&
                          Find(library, "curl_easy_init", curl.easyInit) &&
                          Find(library, "curl_easy_setopt", curl.easySetopt) &&
                          Find(library, "curl_easy_perform", curl.easyPerform) &&
                          Find(library, "curl_easy_getinfo", curl.easyGetinfo) &&
                          Find(library, "curl_easy_reset", curl.easyReset) &&
                          Find(library, "curl_easy_cleanup", curl.easyCleanup) &&
                          Find(library, "curl_easy_strerror", curl.easyStrerror) &&
                          Find(library, "curl_easy_escape", curl.easyEscape) &&
                          Find(library, "curl_free", curl.free) &&
                          Find(library, "curl_slist_append", curl.slistAppend) &&
                          Find(library, "curl_slist_free_all", curl.slistFreeAll);
    return complete ? &curl : nullptr;
}

// Loaded once, by whichever thread asks first; null when libcurl cannot be loaded.
Curl* Library() {
    static Curl* const curl = Load();
    return curl;
}

// The one argument after the option: a long, a pointer or a curl_off_t, which this program's
// platforms all pass in one 64-bit register or stack slot, so it can be handed on as a pointer.
static_assert(sizeof(long) == sizeof(void*) && sizeof(curl_off_t) == sizeof(void*));

void* OneArgument(std::va_list arguments) {
    return va_arg(arguments, void*);
}

}  // namespace

extern "C" {

CURLcode curl_global_init(long flags) {
    Curl* curl = Library();
    return curl ? curl->globalInit(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init() {
    Curl* curl = Library();
    return curl ? curl->easyInit() : nullptr;
}

CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    std::va_list arguments;
    va_start(arguments, option);
    void* argument = OneArgument(arguments);
    va_end(arguments);
    return Library()->easySetopt(handle, option, argument);
}

CURLcode curl_easy_perform(CURL* handle) {
    return Library()->easyPerform(handle);
}

CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    std::va_list arguments;
    va_start(arguments, info);
    void* argument = OneArgument(arguments);
    va_end(arguments);
    return Library()->easyGetinfo(handle, info, argument);
}

void curl_easy_reset(CURL* handle) {
    Library()->easyReset(handle);
}

void curl_easy_cleanup(CURL* handle) {
    if (Curl* curl = Library()) curl->easyCleanup(handle);
}

const char* curl_easy_strerror(CURLcode code) {
    Curl* curl = Library();
    return curl ? curl->easyStrerror(code) : "libcurl (libcurl.so.4) cannot be loaded";
}

char* curl_easy_escape(CURL* handle, const char* text, int length) {
    return Library()->easyEscape(handle, text, length);
}

void curl_free(void* pointer) {
    if (Curl* curl = Library()) curl->free(pointer);
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    Curl* curl = Library();
    return curl ? curl->slistAppend(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
    if (Curl* curl = Library()) curl->slistFreeAll(list);
}

}  // extern "C"
