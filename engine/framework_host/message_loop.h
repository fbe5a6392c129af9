// The framework's one thread of its own: it takes every message from the core's queue and
// hands it to its target (target 0 = the framework manager), inside fault guards.
#pragma once

#include <cstdint>

#include "outside_abi.h"

class CMessageObject;

// The object that receives messages with target 0; set by the manager's owner.
void SetFrameworkManagerTarget(CMessageObject* manager);

// Created at library load (not signalled) and closed at unload.
void CreateStartEvent();
void CloseStartEvent();

int StartMessageLoop();  // always 1
void StopMessageLoop();
// True when the last StopMessageLoop had to terminate the thread (the manager is then leaked).
bool MessageLoopWasTerminated();

uint32_t MessageLoopThread(void* unused);

// Logs one faulty message to the engine log and the crash log; returns result unchanged.
int LogMessageHandlingError(uint32_t code, const FrameworkMessage* msg, int result);
