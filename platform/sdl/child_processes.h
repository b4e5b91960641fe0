// Ends the program's child processes: on X11, SDL shows each message box in a
// child process of its own, which would outlive the program if it ended
// while a box is open.
#pragma once

// Kills every child process of this one (where the system lists processes
// under /proc; elsewhere nothing happens).
void EndChildProcesses();
