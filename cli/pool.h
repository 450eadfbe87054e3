#pragma once
// A fixed pool of worker threads over numbered tasks.
#include <cstddef>
#include <functional>

// Runs task(0) .. task(count - 1) on jobs threads, each task exactly once
// unless stopped() turns true, after which no new task starts (tasks in
// flight finish). Calls tick() on the calling thread about every interval
// of milliseconds while the workers run, and once at the end. Returns the
// number of tasks that ran.
size_t run_pool(size_t count, unsigned jobs, const std::function<void(size_t)>& task,
                const std::function<bool()>& stopped, const std::function<void()>& tick, int interval_ms = 100);
