#include "shell/Hud.h"

#include <algorithm>
#include <array>
#include <string>

#include "game/Bonus.h"
#include "game/GameState.h"
#include "game/MyImageSprite.h"
#include "game/Player.h"
#include "game/Weapons.h"
#include "shell/MainForm.h"

namespace {

struct TWeaponIcon {
  uint8_t Kind;
  const char* Image;
  int32_t X;
};
// The first held of these shows; the laser, the default weapon, has no icon.
constexpr std::array<TWeaponIcon, 5> KWeaponIcons = {{
    {bnMegaBomb, "PanelMegaBomb", 267},
    {bnTripleRocket, "PanelRocket3x", 314},
    {bnRocket, "PanelRocket", 362},
    {bnSingleGun, "PanelSingleGun", 410},
    {bnMultiGun, "PanelMultiGun", 458},
}};
constexpr TWeaponIcon KNoWeaponIcon = {bnLaser, "Null", 267};

}  // namespace

void ShowHudIcons(TGameState& Game) {
  const int32_t Lives = std::clamp(Game.Lives, 0, 3);
  for (int32_t I = 1; I <= 3; ++I)
    if (Game.HudLifeIcons[I] != nullptr) Game.HudLifeIcons[I]->Visible = I <= Lives;
  const TPlayer* Player = Game.Player;
  if (Player == nullptr) return;
  if (Game.HudAssistantIcon != nullptr)
    Game.HudAssistantIcon->Visible = Player->SlotOn[SlotOfKind(bnHero)];
  if (TMyImageSprite* Icon = Game.HudWeaponIcon) {
    const TWeaponIcon* Shown = &KNoWeaponIcon;
    for (const TWeaponIcon& W : KWeaponIcons) {
      if (Player->SlotOn[SlotOfKind(W.Kind)]) {
        Shown = &W;
        break;
      }
    }
    Icon->ShowImage(Shown->Image);
    Icon->X = Shown->X;
  }
}

void DrawHud(TMForm& Form) {
  TGameState& G = Form.GameState;
  Form.SetTextStyle(6);
  Form.DrawText(std::to_string(G.Level), KHudLevelX, KHudNumberY, true, true);
  Form.SetTextStyle(7);
  Form.DrawText(std::to_string(G.Score), KHudScoreX, KHudNumberY, true, true);
  ShowHudIcons(G);
}

void TMForm::DrawHud() {
  ::DrawHud(*this);
}
