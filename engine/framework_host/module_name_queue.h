// Extra module names queued by the host (TS_0009) for the next start; the manager's
// constructor loads them after the built-in list and empties the queue.
#pragma once

#include <string>
#include <vector>

void CreateModuleNameQueue();
void AppendModuleName(const char* name);
// Moves the queued names out, in queue order, and leaves the queue empty.
std::vector<std::string> TakeModuleNames();
