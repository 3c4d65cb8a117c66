#include "app/MemoryReuse.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif
#if __has_include(<gnu/libc-version.h>)
#include <gnu/libc-version.h>
#include <unistd.h>
#define VORNDLE_GLIBC 1
#endif

void keepFreedMemoryForReuse() {
#if defined(M_TRIM_THRESHOLD) && defined(M_TOP_PAD)
    // Trim the heap only when half a GiB lies free at its top, and grow it 64 MiB at a time.
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
#endif
}

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

#ifdef VORNDLE_GLIBC
// True when transparent huge pages are given only to memory that asks for them.
bool hugePagesOnRequest() {
    FILE* file = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
    if (!file)
        return false;
    char mode[128] = {};
    const bool read = std::fgets(mode, sizeof mode, file) != nullptr;
    std::fclose(file);
    return read && std::strstr(mode, "[madvise]") != nullptr;
}

bool glibcHasHugePageTunable() {
    int major = 0, minor = 0;
    return std::sscanf(gnu_get_libc_version(), "%d.%d", &major, &minor) == 2 &&
           (major > 2 || (major == 2 && minor >= 35));
}
#endif

} // namespace

void restartWithLargePages(char** argv) {
#ifdef VORNDLE_GLIBC
    static const char kTunable[] = "glibc.malloc.hugetlb";
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    // Under valgrind the new image would run outside it (its tools do not follow exec by default).
    const char* preload = std::getenv("LD_PRELOAD");
    if (kSanitized || !argv || !argv[0] || (tunables && std::strstr(tunables, kTunable)) ||
        (preload && std::strstr(preload, "vgpreload")) || !glibcHasHugePageTunable() || !hugePagesOnRequest())
        return;
    std::string value = tunables && *tunables ? std::string(tunables) + ":" : std::string();
    value += kTunable;
    value += "=1";
    if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0)
        return;
    execv("/proc/self/exe", argv);
    // Still here: the restart failed, and this process goes on without large pages.
#else
    (void)argv;
#endif
}
