#include "LibraryPreload.h"

#include <dlfcn.h>
#include <system_error>

LibraryPreload::LibraryPreload(std::vector<std::string> files)
{
    if (files.empty())
        return;
    try {
        m_thread = std::thread([files = std::move(files)] {
            // Never closed: the later loads of the same files take the one
            // already in the process, which stays, as libraries loaded on
            // first use do.
            for (const std::string& file : files)
                dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the first calls load what they need, as
        // they would have without this.
    }
}

LibraryPreload::~LibraryPreload()
{
    if (m_thread.joinable())
        m_thread.join();
}
