"""Bullets, explosions, bonuses and the weapon icons of the display strip."""

import math

from res2_duck import feather, puff
from svgkit import OUTLINE, Svg, circle, ellipse, poly, rot, rrect, smooth, star


# ---------------------------------------------------------------- shapes shared by items

def rocket(s, x, y, ang, L, ow=OUTLINE, flame=0):
    """A red rocket of length L with its tail at (x, y), pointing along ang degrees
    (screen angle: 0 = right, positive = clockwise)."""
    w = L * 0.32
    with s.group(f"rotate({ang} {x} {y}) translate({x},{y})"):
        if flame:
            fl = flame
            s.path(smooth([(1, -w * 0.35), (-fl * 0.6, -w * 0.45), (-fl, 0), (-fl * 0.6, w * 0.45), (1, w * 0.35)], t=0.4),
                   "gold", "outline", ow * 0.7)
            s.path(smooth([(0, -w * 0.18), (-fl * 0.55, 0), (0, w * 0.18)], t=0.4), "gold-light")
        # Fins.
        for sg in (-1, 1):
            s.path(poly([(L * 0.02, sg * w * 0.3), (-L * 0.08, sg * w * 1.05), (L * 0.12, sg * w * 1.0),
                         (L * 0.34, sg * w * 0.4)]), "steel", "outline", ow * 0.7)
        body = smooth([(0, -w / 2), (L * 0.6, -w / 2), (L * 0.86, -w * 0.34), (L, 0), (L * 0.86, w * 0.34),
                       (L * 0.6, w / 2), (0, w / 2)], t=0.2)
        s.shaded(body, "red", k=max(1.2, w * 0.25), h=max(0.6, w * 0.12), width=ow * 0.8)
        s.clip_begin(body)
        s.path(f"M{L * 0.78:.2f},{-w:.2f} H{L * 1.1:.2f} V{w:.2f} H{L * 0.78:.2f} Z", "grey-light")
        s.path(f"M{L * 0.48:.2f},{-w:.2f} H{L * 0.58:.2f} V{w:.2f} H{L * 0.48:.2f} Z", "white")
        s.clip_end()
        s.path(body, "none", "outline", ow * 0.8)


def cartridge(s, x, y, ang, L, ow=OUTLINE):
    """A gun round: brass case and red tip, tail at (x, y)."""
    w = L * 0.36
    with s.group(f"rotate({ang} {x} {y}) translate({x},{y})"):
        s.shaded(rrect(0, -w / 2, L * 0.62, w, w * 0.15), "gold", k=max(1, w * 0.25), h=0.6, width=ow * 0.8)
        s.shaded(smooth([(L * 0.6, -w * 0.45), (L * 0.8, -w * 0.4), (L, 0), (L * 0.8, w * 0.4), (L * 0.6, w * 0.45)], t=0.3),
                 "red", k=max(1, w * 0.2), h=0.5, width=ow * 0.8)
        s.line([(L * 0.12, -w * 0.48), (L * 0.12, w * 0.48)], "outline", ow * 0.4)


def mega_bomb(s, x, y, w, h, body, ow=OUTLINE):
    """The mega bomb, nose to the right, in the box (x, y, w, h)."""
    cy = y + h / 2
    s.path(poly([(x + w * 0.05, y), (x + w * 0.28, cy - h * 0.18), (x + w * 0.28, cy - h * 0.05), (x, cy - h * 0.1)]),
           "steel-shade" if body == "steel" else "red-shade", "outline", ow * 0.8)
    s.path(poly([(x + w * 0.05, y + h), (x + w * 0.28, cy + h * 0.18), (x + w * 0.28, cy + h * 0.05), (x, cy + h * 0.1)]),
           "steel-shade" if body == "steel" else "red-shade", "outline", ow * 0.8)
    hull = smooth([(x + w * 0.08, cy - h * 0.28), (x + w * 0.6, cy - h * 0.36), (x + w, cy), (x + w * 0.6, cy + h * 0.36),
                   (x + w * 0.08, cy + h * 0.28)], t=0.3)
    s.shaded(hull, body, k=h * 0.16, h=h * 0.07, width=ow)
    s.path(rrect(x + w * 0.55, cy - h * 0.34, w * 0.08, h * 0.68, 1), "gold", "outline", ow * 0.5)
    s.path(star(x + w * 0.38, cy, h * 0.2, h * 0.09), "gold-light", "outline", ow * 0.4)


# ---------------------------------------------------------------- bullets

def gun_bullet(path):
    # A round tracer: a white-hot core in gold, a red ring and a dark rim. Round, it reads the
    # same at every turn, so the hunters' shots, drawn 45 degrees past their flight, still
    # look like they fly where they go; the dark rim holds it against clouds and the bright
    # core against sky and hills, so the duck's stream of shots reads at a glance. The box is
    # square and the pellet fills it, so what the player sees is what hits.
    s = Svg(12, 12)
    s.path(circle(6, 6, 5.7), "outline")
    s.path(circle(6, 6, 4.5), "red")
    s.path(circle(6, 6, 3.0), "gold-light")
    s.path(circle(5.4, 5.4, 1.5), "white")
    s.save(path)


def rocket_bullet(path):
    s = Svg(60, 10)
    for i in range(2):
        with s.group(f"translate({i * 30},0)"):
            rocket(s, 10, 5, 0, 19.5, ow=1.8, flame=[9, 6][i])
    s.save(path)


def bomb_bullet(path):
    s = Svg(28, 22)
    for i in range(2):
        with s.group(f"translate({i * 14},0)"):
            sway = [-1.2, 1.2][i]
            s.path(poly([(7, 7), (1.5 + sway, 1.2), (12.5 + sway, 1.2)]), "steel", "outline", 1.6)
            s.line([(7 + sway * 0.5, 1.5), (7, 8)], "outline", 1.2)
            s.shaded(ellipse(7, 14, 5.6, 7), "grey", k=2, h=1, width=1.8)
            s.path(rrect(1.8, 10, 10.4, 2.6, 1), "red", "outline", 1)
    s.save(path)


def mega_bullet(body):
    def draw(path):
        s = Svg(44, 22)
        mega_bomb(s, 1, 1, 42, 20, body)
        s.save(path)

    return draw


def engine_fire(path):
    # Drawn at (X - 45, Y + 3) behind a mega bomb: it joins the tail at the right edge.
    s = Svg(180, 16)
    for i, L in enumerate((44, 34, 40, 30)):
        with s.group(f"translate({i * 45},0)"):
            x0 = 45 - L
            wob = [0, 1, -1, 0.5][i]
            s.path(smooth([(45, 2.5), (45 - L * 0.4, 1 + wob), (x0, 8 + wob), (45 - L * 0.4, 15 - wob), (45, 13.5)], t=0.45),
                   "red", "outline", 2)
            s.path(smooth([(45, 4.5), (45 - L * 0.35, 4 + wob), (x0 + L * 0.2, 8 + wob), (45 - L * 0.35, 12 - wob),
                           (45, 11.5)], t=0.45), "gold")
            s.path(smooth([(45, 6.5), (45 - L * 0.3, 7 + wob * 0.5), (45 - L * 0.3, 9 + wob * 0.5), (45, 9.5)], t=0.45),
                   "gold-light")
    s.save(path)


# ---------------------------------------------------------------- explosion

def burst(s, cx, cy, r, phase, ow=OUTLINE, spikes=10, core=True):
    pts = []
    for i in range(spikes * 2):
        a = 2 * math.pi * i / (spikes * 2) + phase
        rr = r * (1.0 if i % 2 == 0 else 0.74 + 0.06 * math.sin(i * 1.7))
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    s.path(smooth(pts, t=0.75), "red", "outline", ow)
    mid = [(cx + (x - cx) * 0.74 - r * 0.05, cy + (y - cy) * 0.74 - r * 0.05) for x, y in pts]
    s.path(smooth(mid, t=0.75), "gold")
    if core:
        s.path(circle(cx - r * 0.12, cy - r * 0.14, r * 0.38), "gold-light")
        s.path(circle(cx - r * 0.2, cy - r * 0.24, r * 0.14), "white")


def smoke(s, cx, cy, r, seed, color="grey"):
    d = " ".join(circle(cx + r * 0.5 * math.cos(a + seed), cy + r * 0.45 * math.sin(a + seed), r * 0.5)
                 for a in (0, 1.3, 2.6, 3.9, 5.2)) + " " + circle(cx, cy, r * 0.62)
    s.path(d, "none", "outline", OUTLINE * 2)
    s.clip_begin(d)
    s.path(d, color + "-shade")
    s.path(d, color, extra=f'transform="translate({-r * 0.12:.1f},{-r * 0.16:.1f})"')
    s.path(" ".join(circle(cx + r * 0.5 * math.cos(a + seed) - r * 0.18, cy + r * 0.45 * math.sin(a + seed) - r * 0.2,
                           r * 0.2) for a in (3.9, 5.2)), color + "-light")
    s.clip_end()


def explosion(path):
    # Eight patterns of 128 x 128: flash, growing fireball (pattern 3 is held while a
    # rocket's blast hovers, so it is a full, steady ball), then smoke that thins away.
    s = Svg(1024, 128)
    # The blast sits a little above the middle: a bomb or rocket that reaches the ground
    # explodes with its picture standing on the screen's bottom edge, behind the front
    # hills, so only the upper part of the picture shows above them.
    c = 64
    for i in range(8):
        with s.group(f"translate({i * 128},-10)"):
            if i == 0:
                burst(s, c, c, 22, 0.2, spikes=8)
            elif i == 1:
                burst(s, c, c, 38, 0.5, spikes=10)
            elif i == 2:
                smoke(s, c + 22, c - 24, 16, 0.3)
                burst(s, c, c, 50, 0.1, spikes=12)
            elif i == 3:
                smoke(s, c + 28, c - 28, 20, 1.0)
                smoke(s, c - 32, c - 22, 16, 2.0)
                burst(s, c, c + 2, 52, 0.35, spikes=12)
            elif i == 4:
                smoke(s, c, c - 6, 40, 0.4)
                burst(s, c + 4, c + 8, 32, 0.8, spikes=9)
            elif i == 5:
                smoke(s, c - 6, c - 10, 44, 1.4)
                burst(s, c + 8, c + 14, 18, 0.2, spikes=7, core=False)
            elif i == 6:
                smoke(s, c - 22, c - 16, 26, 0.9)
                smoke(s, c + 20, c - 4, 28, 2.2)
                smoke(s, c - 2, c + 22, 20, 0.1)
            else:
                smoke(s, c - 30, c - 26, 14, 1.7, "grey")
                smoke(s, c + 26, c - 12, 16, 0.6, "grey")
                smoke(s, c - 2, c + 18, 11, 2.9, "grey")
            if 1 <= i <= 4:
                # Sparks flying out.
                for k in range(5):
                    a = math.radians(k * 72 + i * 25)
                    rr = 30 + i * 8
                    x, y = c + rr * math.cos(a), c + rr * math.sin(a)
                    if 6 < x < 122 and 16 < y < 132:
                        s.path(star(x, y, 5, 2, n=4, start=i * 20), "gold", "outline", 1.5)
    s.save(path)


# ---------------------------------------------------------------- bonus icons

def icon_bolt(s, cx, cy, sc, ow):
    pts = [(2, -13), (-7, 1), (-1, 1), (-4, 13), (7, -3), (1, -3), (4, -13)]
    d = poly([(cx + x * sc, cy + y * sc) for x, y in pts])
    s.flat(d, "sky-light", ow)
    s.line([(cx + 1.5 * sc, cy - 9 * sc), (cx - 3 * sc, cy - 1 * sc), (cx + 1 * sc, cy - 1 * sc)], "white", 1.6 * sc)


def icon_star(s, cx, cy, sc, ow):
    s.shaded(star(cx, cy, 13 * sc, 5.6 * sc), "red", k=2.2 * sc, h=1.3 * sc, width=ow)
    s.path(star(cx - 1 * sc, cy - 1 * sc, 5 * sc, 2.2 * sc), "gold-light")


def icon_rocket(s, cx, cy, sc, ow):
    rocket(s, cx - 9 * sc, cy + 9 * sc, -45, 25 * sc, ow=ow, flame=6 * sc)


def icon_hero(s, cx, cy, sc, ow):
    s.shaded(circle(cx - 2 * sc, cy + 1 * sc, 10 * sc), "duck-green", size=20 * sc, width=ow)
    s.shaded(smooth([(cx + 5 * sc, cy - 1 * sc), (cx + 14 * sc, cy + 1 * sc), (cx + 13 * sc, cy + 5 * sc),
                     (cx + 5 * sc, cy + 6 * sc)], t=0.3), "beak", k=1.2 * sc, h=0.6 * sc, width=ow)
    s.path(circle(cx + 2 * sc, cy - 0.5 * sc, 2.6 * sc), "white", "outline", ow * 0.5)
    s.path(circle(cx + 2.8 * sc, cy - 0.3 * sc, 1.3 * sc), "ink")
    s.shaded(f"M{cx - 12 * sc},{cy - 3 * sc} C{cx - 12 * sc},{cy - 14 * sc} {cx + 8 * sc},{cy - 14 * sc} "
             f"{cx + 8 * sc},{cy - 3 * sc} Z", "steel", k=1.5 * sc, h=0.8 * sc, width=ow)
    # The little propeller on its back.
    s.path(ellipse(cx - 15 * sc, cy + 2 * sc, 2.2 * sc, 8 * sc), "grey-light", "outline", ow * 0.7)
    s.path(circle(cx - 15 * sc, cy + 2 * sc, 2 * sc), "red", "outline", ow * 0.5)


def icon_mega(s, cx, cy, sc, ow):
    mega_bomb(s, cx - 15 * sc, cy - 8 * sc, 30 * sc, 16 * sc, "steel", ow)


def icon_heart(s, cx, cy, sc, ow):
    d = (f"M{cx},{cy + 12 * sc} C{cx - 16 * sc},{cy + 1 * sc} {cx - 12 * sc},{cy - 13 * sc} {cx},{cy - 5 * sc} "
         f"C{cx + 12 * sc},{cy - 13 * sc} {cx + 16 * sc},{cy + 1 * sc} {cx},{cy + 12 * sc} Z")
    s.shaded(d, "red", k=3 * sc, h=1.5 * sc, width=ow)
    s.path(ellipse(cx - 6 * sc, cy - 4 * sc, 2.6 * sc, 1.8 * sc), "white")


def icon_single(s, cx, cy, sc, ow):
    cartridge(s, cx - 13 * sc, cy, 0, 26 * sc, ow)


def icon_multi(s, cx, cy, sc, ow):
    # Three rounds fanning out a little, as the multi gun spreads its shots.
    for a, dx, dy in ((-14, -9, -6.5), (0, -11, 0), (14, -9, 6.5)):
        cartridge(s, cx + dx * sc, cy + dy * sc, a, 19 * sc, ow * 0.9)


def icon_rocket3(s, cx, cy, sc, ow):
    for dx, dy in ((-4, -8.5), (-11, 0), (-4, 8.5)):
        rocket(s, cx + dx * sc, cy + dy * sc, 0, 17 * sc, ow=ow * 0.85)


BONUSES = {
    "BNull": (icon_bolt, "steel-shade"),
    "BScore": (icon_star, "cream"),
    "BRocket": (icon_rocket, "sky-light"),
    "BHero": (icon_hero, "sky-light"),
    "BMegaBomb": (icon_mega, "cream"),
    "BLife": (icon_heart, "cream"),
    "BSingleGun": (icon_single, "sky-light"),
    "BMultiGun": (icon_multi, "sky-light"),
    "BRocket3x": (icon_rocket3, "cream"),
}


def bonus(name):
    icon, disc = BONUSES[name]

    def draw(path):
        # Four patterns of 48 x 48: a gold ring whose glint runs round, the icon bobbing.
        s = Svg(192, 48)
        for i in range(4):
            with s.group(f"translate({i * 48},0)"):
                s.shaded(circle(24, 24, 21.5), "gold", size=43)
                s.path(circle(24, 24, 16.5), disc, "outline", 2)
                a = math.radians(-135 + i * 90)
                s.path(star(24 + 19 * math.cos(a), 24 + 19 * math.sin(a), 4.5, 1.5, n=4), "white", "outline", 1)
                icon(s, 24, 24 + [0, -1, 0, 1][i], 0.95, 2.2)
        s.save(path)

    return draw


PANEL_ICONS = {
    "PanelMegaBomb": lambda s: mega_bomb(s, 3, 6, 38, 20, "steel"),
    "PanelRocket3x": lambda s: icon_rocket3(s, 22, 16, 1.0, 2.2),
    "PanelRocket": lambda s: rocket(s, 5, 16, 0, 33, flame=0),
    "PanelSingleGun": lambda s: cartridge(s, 6, 16, 0, 32),
    "PanelMultiGun": lambda s: icon_multi(s, 22, 16, 0.92, 2.2),
}


def panel_icon(name):
    def draw(path):
        s = Svg(44, 32)
        PANEL_ICONS[name](s)
        s.save(path)

    return draw


def null(path):
    # No weapon icon: all transparent.
    Svg(44, 32).save(path)
