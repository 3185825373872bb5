#pragma once
#include <string>

// Prints the mixer's cost per 10 ms of output with 16 voices and the module MusicFile.
void RunSoundBench(const std::string& MusicFile);
