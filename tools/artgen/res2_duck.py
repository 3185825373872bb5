"""The duck (player), its small assistant and their explosions; the panel icons of both."""

import math

from svgkit import OUTLINE, Svg, circle, ellipse, poly, rot, rrect, smooth, star

# Wing poses of the flight cycle: where the wing tip is (the shoulder is at (54, 45)).
WING_UP, WING_MID, WING_DOWN = (26, 0), (4, 36), (38, 89)


def feather_wing_path(shoulder, root, tip, feathers=5, bulge=8):
    """A wing outline: a leading edge bowed away from the body from the shoulder to the
    tip, then a row of feather tips back to the root on the body."""
    (sx, sy), (rx, ry), (tx, ty) = shoulder, root, tip
    lx, ly = tx - sx, ty - sy
    ln = math.hypot(lx, ly)
    nx, ny = -ly / ln, lx / ln
    if nx * (sx + lx * 0.5 - rx) + ny * (sy + ly * 0.5 - ry) < 0:
        nx, ny = -nx, -ny
    pts = [(sx, sy), (sx + lx * 0.5 + nx * bulge, sy + ly * 0.5 + ny * bulge), (tx, ty)]
    notches = []
    for k in range(1, feathers + 1):
        q = k / (feathers + 1)
        px, py = tx + (rx - tx) * q, ty + (ry - ty) * q
        ix, iy = px + (sx - px) * 0.2, py + (sy - py) * 0.2
        pts.append((ix, iy))
        notches.append(((ix, iy), (px + (sx - px) * 0.45, py + (sy - py) * 0.45)))
        pts.append((px, py) if k < feathers else (rx, ry))
    return smooth(pts, t=0.25), notches


def wing(s, tip, ow, shoulder=(54, 45), root=None):
    if root is None:
        # A lowered wing spreads back along the body; otherwise it folds in above it.
        root = (24, 50) if tip[1] > 60 else (34, 60)
    d, notches = feather_wing_path(shoulder, root, tip)
    s.shaded(d, "duck-body", k=4, h=2, size=40, width=ow)
    # Blue band across the wing (the duck's speculum), along the feather roots.
    s.clip_begin(d)
    sx, sy = shoulder
    band = [(a[0] + (sx - a[0]) * 0.35, a[1] + (sy - a[1]) * 0.35) for a, _ in notches]
    band2 = [(a[0] + (sx - a[0]) * 0.55, a[1] + (sy - a[1]) * 0.55) for a, _ in notches]
    s.path(poly(band + band2[::-1]), "steel", "outline", ow * 0.5)
    s.clip_end()
    for a, b in notches[1:-1]:
        s.line([a, b], "duck-body-shade", ow * 0.6)
    s.outline(d, ow)


def duck(s, wing_tip, heavy=False, flash=False, ow=OUTLINE, gun=True):
    """The duck on a 120 x 90 grid: muzzle at (85, 47), launcher mouth at (110, 59),
    bomb bay at (43, 52)."""
    # Feet trail behind and below.
    for fx, fy in ((38, 74), (48, 76)):
        s.flat(smooth([(fx, fy), (fx - 4, fy + 7), (fx - 13, fy + 11), (fx - 10, fy + 5)], t=0.3),
               "beak", ow * 0.8)
    # Tail feathers.
    s.shaded(smooth([(24, 42), (4, 34), (8, 44), (2, 50), (12, 53), (26, 60)], t=0.3),
             "duck-body", k=3, h=2, width=ow)
    # Body.
    body = ellipse(52, 57, 34, 20)
    s.shaded(body, "duck-body", size=40, width=ow)
    if heavy:
        # Bomb bay hatch on the belly: the mega bomb leaves from here.
        s.path(rrect(36, 63, 22, 8, 3), "steel-shade", "outline", ow * 0.8)
        s.line([(47, 63.5), (47, 70.5)], "outline", ow * 0.5)
    # Neck and head.
    s.shaded(smooth([(70, 42), (74, 30), (86, 28), (88, 44), (82, 52), (70, 50)], t=0.4),
             "duck-green", k=3, h=2, width=ow)
    s.path(smooth([(70, 44), (80, 43), (88, 46), (82, 49), (71, 48)], t=0.4), "white", "outline", ow * 0.6)
    s.shaded(circle(86, 25, 15), "duck-green", size=30, width=ow)
    # Beak, upper and lower.
    s.shaded(smooth([(96, 21), (110, 21), (118, 26), (112, 29), (97, 31)], t=0.3), "beak", k=2.5, h=1.5, width=ow)
    s.shaded(smooth([(97, 30), (111, 29.5), (114, 32), (106, 35), (97, 35)], t=0.3), "beak", k=2, h=1, width=ow)
    s.path(circle(108, 23.5, 0.9), "beak-shade")
    # Eye with a determined brow.
    s.path(ellipse(93, 29, 4.2, 4.6), "white", "outline", ow * 0.6)
    s.path(circle(94.5, 29.5, 2.3), "ink")
    s.path(circle(95.3, 28.5, 0.8), "white")
    s.line([(88, 23.5), (98, 25.5)], "outline", ow * 1.0)
    # Helmet: a steel dome with a rim and a gold star.
    dome = "M69,20 C70,5 86,3 94,7 C99,10 102,14 102,18 L104,19 L104,22 L68,23 Z"
    s.shaded(dome, "steel", k=3, h=2, width=ow)
    s.path(rrect(67, 18.5, 38, 4.5, 2), "steel-shade", "outline", ow * 0.8)
    s.path(star(85, 11, 4.2, 1.9), "gold", "outline", ow * 0.45)
    s.line([(72, 23), (78, 38)], "outline", ow * 0.6)
    if heavy:
        # Rocket launcher slung under the body; its mouth is at (110, 59).
        tube = rrect(58, 54, 52, 10, 4)
        s.shaded(tube, "steel", k=3, h=1.5, width=ow)
        s.path(rrect(104, 53, 6, 12, 2), "steel-shade", "outline", ow * 0.8)
        s.path(circle(109, 59, 3), "red", "outline", ow * 0.5)
        s.line([(74, 54), (74, 64)], "outline", ow * 0.5)
    if gun:
        # Gun held at the chest; its muzzle at (85, 47).
        s.shaded(rrect(52, 41, 22, 11, 3), "steel", k=2.5, h=1.2, width=ow)
        s.shaded(rrect(64, 44, 21, 6, 2), "grey", k=2, h=1, width=ow)
        s.path(rrect(58, 50, 6, 7, 2), "steel-shade", "outline", ow * 0.7)
    # The wing over it all (holding the gun's grip).
    wing(s, wing_tip, ow)
    if flash:
        flare(s, 94, 47, 10, 8, ow)
        if heavy:
            flare(s, 114, 59, 6, 5, ow)


def flare(s, cx, cy, rx, ry, ow):
    pts = []
    for i in range(12):
        a = math.radians(i * 30)
        r = 1.0 if i % 2 == 0 else 0.45
        pts.append((cx + rx * r * math.cos(a), cy + ry * r * math.sin(a)))
    d = poly(pts)
    s.path(d, "gold", "outline", ow * 0.6)
    s.path(ellipse(cx - 0.5, cy, rx * 0.35, ry * 0.35), "gold-light")


def player(path):
    s = Svg(960, 90)
    frames = [
        (WING_MID, False, True), (WING_UP, False, False), (WING_MID, False, False), (WING_DOWN, False, False),
        (WING_MID, True, True), (WING_UP, True, False), (WING_MID, True, False), (WING_DOWN, True, False),
    ]
    for i, (tip, heavy, flash) in enumerate(frames):
        with s.group(f"translate({i * 120},0)"):
            duck(s, tip, heavy, flash)
    s.save(path)


def hero_body(s, ow=2.2):
    """The assistant: a small duck with a big head on a 55 x 48 grid. Its gun sits on the
    helmet (bullets leave at (30, 0) and fly right); the propeller shaft of "HeroAnim"
    meets its tail at (0..2, 12..17)."""
    for fx in (20, 28):
        s.flat(smooth([(fx, 40), (fx - 2, 45), (fx - 8, 47), (fx - 6, 43)], t=0.3), "beak", ow * 0.8)
    s.shaded(smooth([(12, 22), (1, 12), (2, 18), (0, 24), (8, 30)], t=0.3), "duck-body", k=2, h=1, width=ow)
    s.shaded(ellipse(23, 31, 17, 11), "duck-body", size=28, width=ow)
    d, notches = feather_wing_path((27, 27), (12, 31), (5, 20), feathers=3, bulge=4)
    s.shaded(d, "duck-body", k=2, h=1, width=ow * 0.9)
    s.path(smooth([(31, 28), (35, 20), (42, 20), (43, 30), (36, 36)], t=0.4), "duck-green", "outline", ow)
    s.path(smooth([(32, 31), (40, 30), (44, 33), (38, 36)], t=0.4), "white", "outline", ow * 0.6)
    s.shaded(circle(40, 19, 10), "duck-green", size=20, width=ow)
    s.shaded(smooth([(47, 16), (53, 17), (55, 20), (52, 22), (47, 23)], t=0.3), "beak", k=1.5, h=0.8, width=ow)
    s.path(ellipse(44, 19.5, 2.8, 3.1), "white", "outline", ow * 0.5)
    s.path(circle(45, 19.8, 1.5), "ink")
    s.line([(40.5, 15.5), (47, 16.5)], "outline", ow * 0.8)
    # Helmet with the little gun on top.
    s.shaded("M29.5,15 C30,5 41,3 46,6 C49,8 51,11 51,14 L29,16 Z", "steel", k=2, h=1, width=ow)
    s.path(rrect(28, 13.5, 25, 3.2, 1.5), "steel-shade", "outline", ow * 0.7)
    s.path(poly([(35, 6), (39, 6), (40, 9), (34, 9)]), "steel-shade", "outline", ow * 0.6)
    s.shaded(rrect(27, 0.8, 18, 5, 2), "grey", k=1.5, h=0.8, width=ow * 0.8)
    s.path(rrect(41, 0.5, 5, 6, 1.5), "steel-shade", "outline", ow * 0.6)


def hero(path):
    s = Svg(55, 48)
    hero_body(s)
    s.save(path)


def hero_prop(s, i, ow=OUTLINE):
    """Pattern i of the assistant's propeller on its 50 x 40 grid."""
    s.shaded(rrect(24, 19.5, 27, 5, 2.5), "grey", k=1.5, h=0.8, width=ow * 0.8)
    # A two-bladed propeller seen from the side while it turns: the blades' height
    # shrinks as they turn toward the viewer and grows again; the blades widen as they
    # show their face.
    reach = [17, 12, 4, 12][i]
    width = [2.6, 4.2, 5.5, 4.2][i]
    for sgn in (-1, 1):
        s.shaded(ellipse(26, 22 + sgn * reach / 2, width, reach / 2 + 1.5), "steel", k=1.5, h=0.8, width=ow * 0.8)
    # Blur arcs of the turning blades.
    if i in (1, 3):
        s.line([(19, 5), (16, 14), (16, 30), (19, 39)] if i == 1 else [(33, 5), (36, 14), (36, 30), (33, 39)],
               "white", 1.6)
    s.shaded(circle(26, 22, 4), "red", k=1.5, h=0.8, width=ow * 0.8)


def hero_anim(path):
    # Drawn at (HeroX - 48, HeroY - 8): the shaft reaches the assistant's tail at the right
    # edge, the propeller turns at (26, 22) behind it.
    s = Svg(200, 40)
    for i in range(4):
        with s.group(f"translate({i * 50},0)"):
            hero_prop(s, i)
    s.save(path)


def puff(s, cx, cy, r, color="grey-light", ow=OUTLINE, seed=0):
    d = " ".join(circle(cx + r * 0.55 * math.cos(a + seed), cy + r * 0.55 * math.sin(a + seed), r * 0.55)
                 for a in (0, 2.1, 4.2)) + " " + circle(cx, cy, r * 0.6)
    s.path(d, "none", "outline", ow * 2)
    s.clip_begin(d)
    s.path(d, color.replace("-light", "") if color.endswith("-light") else color + "-shade")
    s.path(d, color, extra=f'transform="translate({-r * 0.15:.1f},{-r * 0.2:.1f})"')
    s.clip_end()


def feather(s, cx, cy, ang, L, ow, color="duck-body"):
    pts = rot([(cx - L / 2, cy), (cx, cy - L * 0.22), (cx + L / 2, cy), (cx, cy + L * 0.22)], ang, cx, cy)
    s.path(smooth(pts, t=0.6), color, "outline", ow * 0.7)
    a, b = rot([(cx - L / 2, cy), (cx + L / 2, cy)], ang, cx, cy)
    s.line([a, b], "outline", ow * 0.4)


def fireball(s, cx, cy, r, ow=OUTLINE, phase=0.0, spikes=9):
    pts = []
    for i in range(spikes * 2):
        a = 2 * math.pi * i / (spikes * 2) + phase
        rr = r * (1.0 if i % 2 == 0 else 0.72)
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    d = smooth(pts, t=0.7)
    s.path(d, "red", "outline", ow)
    inner = [(cx + (x - cx) * 0.72 - r * 0.06, cy + (y - cy) * 0.72 - r * 0.06) for x, y in pts]
    s.path(smooth(inner, t=0.7), "gold")
    s.path(circle(cx - r * 0.12, cy - r * 0.12, r * 0.34), "gold-light")


def hero_explosion(path):
    s = Svg(220, 48)
    for i in range(4):
        with s.group(f"translate({i * 55},0)"):
            if i == 0:
                fireball(s, 27, 24, 15, phase=0.2)
                feather(s, 8, 10, 30, 10, OUTLINE)
                feather(s, 46, 38, -20, 10, OUTLINE)
            elif i == 1:
                puff(s, 27, 26, 19, seed=0.4)
                fireball(s, 27, 24, 11, phase=0.5, spikes=7)
                feather(s, 6, 8, 60, 11, OUTLINE)
                feather(s, 49, 12, -40, 10, OUTLINE)
                feather(s, 12, 42, 10, 9, OUTLINE, "duck-green")
            elif i == 2:
                puff(s, 27, 26, 20, seed=1.1)
                feather(s, 5, 14, 90, 11, OUTLINE)
                feather(s, 50, 8, -70, 10, OUTLINE)
                feather(s, 44, 43, 30, 9, OUTLINE, "duck-green")
            else:
                puff(s, 22, 30, 12, seed=2.0)
                puff(s, 38, 18, 9, seed=0.7)
                feather(s, 7, 40, 120, 10, OUTLINE)
                feather(s, 48, 40, -110, 9, OUTLINE)
    s.save(path)


def dizzy_duck(s, cx, cy, ang):
    """The shot-down duck tumbling, helmet lost: a small spinning silhouette."""
    with s.group(f"rotate({ang} {cx} {cy}) translate({cx - 26},{cy - 20}) scale(0.45)"):
        duck(s, WING_UP, ow=OUTLINE / 0.45, gun=False)


def player_explosion(path):
    s = Svg(320, 80)
    # Frame 0: the hit itself. Frames 1..3 loop while the wreck drifts down and right.
    with s.group("translate(0,0)"):
        fireball(s, 40, 40, 30, phase=0.1, spikes=11)
        for k, (x, y, a) in enumerate([(8, 10, 40), (70, 12, -30), (10, 70, 120), (72, 68, -100)]):
            feather(s, x, y, a, 13, OUTLINE, "duck-green" if k % 2 else "duck-body")
    for i in range(1, 4):
        with s.group(f"translate({i * 80},0)"):
            puff(s, 30, 48, 22, seed=i * 0.9)
            puff(s, 54, 34, 15, seed=i * 1.7)
            fireball(s, 44, 52, 10, phase=i * 0.7, spikes=6)
            dizzy_duck(s, 40, 38, -30 + i * 120)
            for k in range(3):
                a = math.radians(i * 120 + k * 120)
                feather(s, 40 + 31 * math.cos(a), 40 + 31 * math.sin(a), i * 40 + k * 70, 11, OUTLINE,
                        "duck-green" if k == 1 else "duck-body")
            for k in range(3):
                a = math.radians(i * 120 + k * 120 + 60)
                s.path(star(40 + 28 * math.cos(a), 16 + 9 * math.sin(a), 4, 1.8), "gold", "outline", 1.2)
    s.save(path)


def duck_head(s, ow):
    """The duck's head with helmet and beak, as on the 120 x 90 grid (x 67..118, y 3..50)."""
    s.path(smooth([(72, 40), (80, 43), (92, 42), (90, 49), (74, 49)], t=0.4), "white", "outline", ow * 0.6)
    s.shaded(circle(86, 25, 15), "duck-green", size=30, width=ow)
    s.shaded(smooth([(96, 21), (110, 21), (118, 26), (112, 29), (97, 31)], t=0.3), "beak", k=2.5, h=1.5, width=ow)
    s.shaded(smooth([(97, 30), (111, 29.5), (114, 32), (106, 35), (97, 35)], t=0.3), "beak", k=2, h=1, width=ow)
    s.path(ellipse(93, 29, 4.2, 4.6), "white", "outline", ow * 0.6)
    s.path(circle(94.5, 29.5, 2.3), "ink")
    s.path(circle(95.3, 28.5, 0.8), "white")
    s.line([(88, 23.5), (98, 25.5)], "outline", ow)
    s.shaded("M69,20 C70,5 86,3 94,7 C99,10 102,14 102,18 L104,19 L104,22 L68,23 Z", "steel", k=3, h=2, width=ow)
    s.path(rrect(67, 18.5, 38, 4.5, 2), "steel-shade", "outline", ow * 0.8)
    s.path(star(85, 11, 4.2, 1.9), "gold", "outline", ow * 0.45)


def panel_life(path):
    # The duck's head with its helmet, filling a 40 x 36 slot.
    s = Svg(40, 36)
    sc = 0.7
    with s.group(f"translate({2 - 67 * sc:.2f},{2 - 3 * sc:.2f}) scale({sc})"):
        duck_head(s, OUTLINE / sc)
    s.save(path)


def panel_hero(path):
    # The assistant with its propeller, as the game draws them, fitted into a 60 x 36 slot.
    s = Svg(60, 36)
    sc = 0.56
    with s.group(f"translate(1,2) scale({sc})"):
        # A thinner outline than at full size, so the small picture does not clog.
        hero_prop(s, 0, 1.7 / sc)
        with s.group("translate(48,8)"):
            hero_body(s, ow=1.5 / sc)
    s.save(path)
