#pragma once
// What the start-up benchmark asks of a program it starts: two environment variables.
//   TB_PROBE_PICTURE_FD=N   after the first picture is shown, the steady (monotonic) clock in
//                           microseconds is written to file descriptor N as one text line
//   TB_PROBE_QUIT_AFTER=N   after N pictures the program writes its peak resident memory
//                           (VmHWM, in kilobytes) to the same descriptor as a second line and
//                           ends (the bare window leaves its loop; the game ends at once with
//                           status 0, since it answers a close request with its exit question
//                           and would wait for an answer)
//   TB_PROBE_FRAME_FD=N     the steady clock in microseconds at each shown picture, as one
//                           8-byte number in the machine's byte order, is written to file
//                           descriptor N (the pacing benchmark's frame intervals)
// Without them nothing happens. The benchmark reads the time against its own clock taken just
// before the start. The peak is the program's own: the kernel's account of an ended child
// (ru_maxrss) also holds what the benchmark itself had resident when it forked.

#include <cstdint>

class TStartProbe {
 public:
  // Reads the two variables.
  TStartProbe();
  // Counts one shown picture; answers true when the program should now be asked to close.
  bool PictureShown();

 private:
  int FFd = -1;
  int FFrameFd = -1;
  int64_t FQuitAfter = 0;
  int64_t FShown = 0;
};
