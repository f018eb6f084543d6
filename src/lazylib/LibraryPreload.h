#pragma once
// Libraries loaded ahead on a thread of their own, while the program does
// something else: the first call that needs one finds it mapped and
// relocated already. Only the dynamic loader works on that thread, which is
// safe alongside anything; a library it could not load is loaded (and the
// failure reported) by its first call, as if it had not been asked for.

#include <string>
#include <thread>
#include <vector>

class LibraryPreload
{
public:
    explicit LibraryPreload(std::vector<std::string> files);
    // Waits for the thread, if one was started: by then long done in
    // practice.
    ~LibraryPreload();

    LibraryPreload(const LibraryPreload&) = delete;
    LibraryPreload& operator=(const LibraryPreload&) = delete;

private:
    std::thread m_thread;
};
