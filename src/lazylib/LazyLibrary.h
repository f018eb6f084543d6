#pragma once
// Libraries loaded on first use (see cmake/LazyLibrary.cmake and
// LazyEntries.h). The entries call falmide_lazy_resolve(); the rest of the
// program only asks whether a library is loaded yet.

#include <cstdint>

// Laid out as LazyEntries.h writes it: the file name first in `text`, each
// function's name at its offset in `names`, `table` zero until resolved.
struct LazyLibrary
{
    const char* text;
    const std::int32_t* names;
    void** table;
    unsigned long count;
    void* handle;
};

extern "C" void* falmide_lazy_resolve(LazyLibrary* library, unsigned long index);

// True when the library with this file name is in the process already,
// whoever loaded it.
bool lazyLibraryLoaded(const char* soname);
