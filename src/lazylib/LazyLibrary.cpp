#include "LazyLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>

namespace {

[[noreturn]] void cannotLoad(const char* what, const char* soname)
{
    // A library the package depends on is missing or too old: nothing the
    // user did, and nothing the program can go on without at this point.
    const char* reason = dlerror();
    std::fprintf(stderr, "falmide: impossibile caricare %s da %s: %s\n", what, soname,
                 reason ? reason : "motivo sconosciuto");
    std::fflush(stderr);
    std::abort();
}

} // namespace

extern "C" void* falmide_lazy_resolve(LazyLibrary* library, unsigned long index)
{
    // One lock for every library: loading happens a handful of times in a
    // run, and dlerror() is per thread but dlopen's work is not worth racing.
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    const char* soname = library->text;
    if (!library->handle) {
        void* handle = dlopen(soname, RTLD_LAZY | RTLD_LOCAL);
        if (!handle)
            cannotLoad("la libreria", soname);
        library->handle = handle;
    }
    const char* name = library->text + library->names[index];
    void* function = dlsym(library->handle, name);
    if (!function)
        cannotLoad(name, soname);
    // Other threads read the table without the lock: one aligned store.
    __atomic_store_n(&library->table[index], function, __ATOMIC_RELEASE);
    return function;
}

bool lazyLibraryLoaded(const char* soname)
{
    void* handle = dlopen(soname, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}
