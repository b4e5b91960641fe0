// The two ways fresh memory arrives, under which the load speed benchmark
// measures every contender, each in processes of its own:
// - cold 4 KiB pages: every page a load touches for the first time costs the
//   kernel a fault; on a virtual machine that cost can dwarf the work, and it
//   is what a program's first load meets;
// - the system's pages: nothing asked of the system beyond what the program
//   asks itself, as a player's process runs; the model's reader asks for
//   large pages for its largest blocks, tinyobjloader for nothing;
// - huge pages: the allocator asks for 2 MiB pages (glibc's
//   glibc.malloc.hugetlb=1 tunable, with transparent huge pages in "madvise"
//   or "always" mode), so first touches cost little and the work itself shows.
#pragma once

#include <string>
#include <vector>

enum PageRegime { kColdPages, kSystemPages, kHugePages, kRegimeCount };

// What each regime stands for, as the tables head it.
extern const char* const kRegimeTitles[kRegimeCount];
// The word that names a regime on a child's command line.
extern const char* const kRegimeWords[kRegimeCount];

// Runs this program again, in a child process set up for the regime, with
// args; returns what the child wrote to its standard output. Ends the
// benchmark when the child fails.
std::string RunInRegime(PageRegime regime, const std::vector<std::string>& args);

// Called first in such a child: keeps huge pages away from a cold-page
// process even where the system hands them out unasked.
void EnterRegime(PageRegime regime);

// The system's transparent huge page mode ("always", "madvise", "never"),
// or "unknown".
std::string TransparentHugePageMode();
