#pragma once

// Named steps of the database's care where the fault tests end a process, to
// show that a crash at any of them loses nothing. Without a handler set (the
// program never sets one) a step does nothing.
void faultPoint(const char* step);
void setFaultPointHandler(void (*handler)(const char* step));
