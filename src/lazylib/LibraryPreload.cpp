#include "LibraryPreload.h"

#include <dlfcn.h>

LibraryPreload::LibraryPreload(std::vector<std::string> files)
    : m_thread([files = std::move(files)] {
          // Never closed: the later loads of the same files take the one
          // already in the process, which stays, as libraries loaded on
          // first use do.
          for (const std::string& file : files)
              dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
      })
{
}

LibraryPreload::~LibraryPreload()
{
    m_thread.join();
}
