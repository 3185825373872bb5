#include "platform/sdl/BareWindow.h"

#include <SDL.h>

#include <cstdio>

#include "platform/DeadlineSleep.h"
#include "platform/sdl/StartProbe.h"

int RunBareWindow() {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bare window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* Window = SDL_CreateWindow("Bare window", SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, 800, 600, SDL_WINDOW_SHOWN);
  if (!Window) {
    std::fprintf(stderr, "bare window: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  TStartProbe Probe;
  // Paced like the game's frames on a presenter that cannot wait: 60 a second, each slept to
  // its beat.
  constexpr uint64_t kPeriod = 1000000 / 60;
  uint64_t Beat = SteadyMicros();
  bool Running = true;
  for (Uint32 Frame = 0; Running; ++Frame) {
    SDL_Event E;
    while (SDL_PollEvent(&E))
      if (E.type == SDL_QUIT) Running = false;
    SDL_Surface* Surface = SDL_GetWindowSurface(Window);
    if (!Surface) break;
    SDL_FillRect(Surface, nullptr, SDL_MapRGB(Surface->format, 40, 90 + Frame % 64, 160));
    if (SDL_UpdateWindowSurface(Window) != 0) break;
    if (Probe.PictureShown()) Running = false;
    Beat += kPeriod;
    const uint64_t Now = SteadyMicros();
    if (Now > Beat + kPeriod) Beat = Now;  // a stall: the beat starts again, no burst
    SleepUntilMicros(Beat);
  }
  SDL_DestroyWindow(Window);
  SDL_Quit();
  return 0;
}
