#pragma once

// SIGINT and SIGTERM while the command line works: the first asks the work to
// stop (no new picture starts, those under way finish and clean up after
// themselves), and the program then ends with 128 + the signal's number. A
// second one gives up waiting: every temporary file of the program's is
// removed and the program ends at once.
class Interruption {
 public:
  // Process-wide; once. The handler only notes the signal and wakes a
  // watching thread through a pipe: all else happens on that thread.
  static void Watch();

  // The first signal caught; 0 while none has come.
  static int Signal();
  static bool Requested() { return Signal() != 0; }

  // The exit status for a caught signal: 130 for SIGINT, 143 for SIGTERM.
  static int ExitStatus(int signal) { return 128 + signal; }

 private:
  static void Caught(int signal);
  static void WatchPipe(int readEnd);
};
