#pragma once
// The score language of our tunes, compiled into an extended module.
//
//   title Menu Theme            module name (20 characters kept)
//   speed 6                     ticks per row
//   bpm 100                     a tick lasts 2.5 / bpm seconds
//   channels 8                  1 .. 32 (rounded up to even in the file)
//   level 0.8                   scales every sample, 0.05 .. 1
//   instrument NAME KIND key=value ...
//       KIND: lead, pluck, pad, kick, snare, hat; keys: volume pan shape duty attack decay
//       sustain fade vibrato_depth vibrato_rate vibrato_sweep length detune bright note seed
//   pattern NAME ROWS [like OTHER]
//       CHANNELS INSTRUMENT TOKENS...   e.g. "1 lead E5/4 D5/2 C5"  or "3-5 pad <Am>/16"
//   order NAME NAME ...         the song's pattern sequence (may span lines)
//   restart NAME | POSITION     where the song loops to after its last order
//
// Tokens: a note (C4, F#3, Bb2), a chord (<Am>, <G7>, <C4+E4+G4>) spread over the line's
// channels, an instrument name (a drum hit at its own note), "r" (key off) or "." (nothing
// new: the sound goes on). Suffixes: /N length in rows (kept for the following tokens),
// @V volume 0..64, !Exx a raw effect (letter or digit, two hex digits), *N the token N
// times over; a lone *N plays the tokens before it on the line (back to the previous lone
// *N) N times. Every channel line of a pattern must fill its rows exactly. "#" at the start
// of a word begins a comment.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/xmwriter/XmFile.h"

// Messages read "FILE:LINE: fault".
bool CompileScore(const std::string& Text, const std::string& FileName, TXmModule& Module,
                  std::string& Error);

// Reads the score at Path and writes the whole module file into XmFile.
bool CompileScoreFile(const std::string& Path, std::vector<uint8_t>& XmFile, std::string& Error);
