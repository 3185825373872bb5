#!/usr/bin/env python3
"""Writes every SVG of the play pack and its manifest into assets/res2.

    python3 tools/artgen/res2.py [OUTDIR]

The written SVGs and manifest are committed; rerun this after editing a drawing."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import res2_duck as duck  # noqa: E402
import res2_enemies as foe  # noqa: E402
import res2_items as items  # noqa: E402
import res2_scenery as scenery  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "assets", "res2")

# name, drawing, pattern width, pattern height (0 = whole picture), patterns, memory
ITEMS = [
    ("SkyTile", scenery.sky_tile, 0, 0, 1, "system"),
    ("Hills2", scenery.hills2, 0, 0, 1, "system"),
    ("Hills1", scenery.hills1, 0, 0, 1, "system"),
    ("Panels", scenery.panels, 0, 0, 1, "video"),
    ("Player", duck.player, 120, 90, 8, "video"),
    ("PlayerExplosion", duck.player_explosion, 80, 80, 4, "video"),
    ("Hero", duck.hero, 0, 0, 1, "video"),
    ("HeroAnim", duck.hero_anim, 50, 40, 4, "video"),
    ("HeroExplosion", duck.hero_explosion, 55, 48, 4, "video"),
    ("PanelLife", duck.panel_life, 0, 0, 1, "video"),
    ("PanelHero", duck.panel_hero, 0, 0, 1, "video"),
    ("MAirplane", foe.mairplane, 0, 0, 1, "video"),
    ("MAirplaneAnim", foe.mairplane_anim, 12, 40, 4, "video"),
    ("MHelicopter", foe.mhelicopter, 0, 0, 1, "video"),
    ("MHelicopterAnim", foe.mhelicopter_anim, 170, 16, 3, "video"),
    ("MBird", foe.mbird, 130, 121, 4, "video"),
    ("MBirdEat", foe.mbird_eat, 130, 121, 3, "video"),
    ("MBirdFall", foe.mbird_fall, 130, 80, 2, "video"),
    ("MDog", foe.mdog, 90, 130, 2, "video"),
    ("MDogFall", foe.mdog_fall, 90, 130, 2, "video"),
    ("Hunter1", foe.hunter(1), 130, 90, 2, "video"),
    ("Hunter2", foe.hunter(2), 130, 92, 2, "video"),
    ("Hunter3", foe.hunter(3), 100, 70, 2, "video"),
    ("Hunter1Fall", foe.hunter_fall(1), 70, 40, 3, "video"),
    ("Hunter2Fall", foe.hunter_fall(2), 70, 40, 3, "video"),
    ("Hunter3Fall", foe.hunter_fall(3), 70, 40, 3, "video"),
    ("GunBulletRed", items.gun_bullet, 0, 0, 1, "video"),
    ("RocketBulletRed", items.rocket_bullet, 30, 10, 2, "video"),
    ("BombBullet", items.bomb_bullet, 14, 22, 2, "video"),
    ("MegaBullet", items.mega_bullet("steel"), 0, 0, 1, "video"),
    ("MegaBulletR", items.mega_bullet("red"), 0, 0, 1, "video"),
    ("EngineFire", items.engine_fire, 45, 16, 4, "video"),
    ("Explosion", items.explosion, 128, 128, 8, "video"),
] + [(name, items.bonus(name), 48, 48, 4, "video") for name in items.BONUSES] + [
    (name, items.panel_icon(name), 0, 0, 1, "video") for name in items.PANEL_ICONS
] + [
    ("Null", items.null, 0, 0, 1, "video"),
]

HEADER = """\
# The play pack (Res2.dxg): sky, hills, the duck, its enemies, bullets, bonuses and the
# display strip. Written by tools/artgen/res2.py together with the SVGs; edit the script.
# name  source  pattern_w  pattern_h  count  skip_w  skip_h  key  memory
"""


def main():
    os.makedirs(OUT, exist_ok=True)
    rows = []
    for name, draw, pw, ph, count, memory in ITEMS:
        source = name.lower() + ".svg"
        draw(os.path.join(OUT, source))
        rows.append((name, source, str(pw), str(ph), str(count), "0", "0", "#ff00ff", memory))
    widths = [max(len(r[i]) for r in rows) for i in range(len(rows[0]))]
    with open(os.path.join(OUT, "manifest.txt"), "w") as f:
        f.write(HEADER)
        for r in rows:
            f.write("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip() + "\n")


if __name__ == "__main__":
    main()
