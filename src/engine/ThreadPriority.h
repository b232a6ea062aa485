#pragma once

namespace zeb {

// Nice values of single threads (Linux keeps one per thread).

// The nice value of the process's main thread, which the process priority
// setting moves; threads of the engine are placed relative to it.
int ProcessNice();
// The nice value for a thread priority step -2..+2: each step is 5 nice
// values away from the process's own, within -20..19.
int NiceForPriorityStep(int step);
// The kernel's id of the calling thread.
int CurrentThreadId();
// Sets the nice value of thread `tid`; false when the system refused it (a
// higher priority needs privileges), which is reported on standard error
// once for each refused value.
bool SetThreadNice(int tid, int nice);
// Names the calling thread (up to 15 characters) for tools like top.
void NameCurrentThread(const char* name);

} // namespace zeb
