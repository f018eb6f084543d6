#include "FaultPoint.h"

#include <atomic>

namespace {

std::atomic<void (*)(const char*)> g_handler{nullptr};

} // namespace

void faultPoint(const char* step)
{
    if (auto* handler = g_handler.load())
        handler(step);
}

void setFaultPointHandler(void (*handler)(const char* step))
{
    g_handler.store(handler);
}
