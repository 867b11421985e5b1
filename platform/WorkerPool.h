#pragma once
// Work shared by several threads. Starting a thread costs about as much as a
// whole profile run of a thousand points, so the helper threads are made at
// the first call and wait for the next one.
#include <functional>

// Calls Job on up to Threads threads at once, the calling thread among them,
// and returns when every call has returned. Job learns nothing about the
// thread it runs on: it takes its share of the work from shared state. Where
// fewer threads can be had, fewer run it; one call always runs on the
// calling thread. An exception from Job reaches the caller once all calls
// have ended (the first one, when several raise). One run at a time: a
// second caller waits for the first run to end.
void RunOnThreads(const std::function<void()> &Job, int Threads);

// The number of threads that can run at once on this machine (at least 1).
int ProcessorCount();
