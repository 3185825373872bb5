#pragma once
// The in-game display: a strip along the top of the screen with the level number, the
// score, up to three life icons, the assistant's icon and the icon of the special weapon
// the duck holds. The strip's sprites belong to the game (made at its start, killed at its
// end); this brings them up to date and draws the two numbers over them.

#include <cstdint>

struct TGameState;
class TMForm;

// Where the numbers are centred.
constexpr int32_t KHudLevelX = 770;
constexpr int32_t KHudScoreX = 633;
constexpr int32_t KHudNumberY = 25;

// The icons: as many life icons as lives (at most 3), the assistant's while it flies, and
// the first held weapon of mega bomb, triple rocket, rocket, single gun, multi gun at its
// place on the strip ("Null" at 267 for none). Changes no game state.
void ShowHudIcons(TGameState& Game);
// The level and the score in white (text styles 6 and 7), centred on their places of the
// strip, then the icons. The numbers go on the surface after the frame's sprites, so they
// stand over the strip.
void DrawHud(TMForm& Form);
