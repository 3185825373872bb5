#pragma once
// The yardstick of the start-up benchmark: the least an SDL program does to show an 800 x 600
// picture (video only, one window, its own framebuffer), answering the same start probe as the
// game. It shows a new picture (a filled surface) 60 times a second, so that the pacing
// benchmark can set the game's cost against it. Kept in its own program so that it loads SDL and
// nothing else.

// Runs until the probe asks it to close (or its window is closed); answers the exit status.
int RunBareWindow();
