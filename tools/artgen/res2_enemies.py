"""The enemies of the play pack: airplane, helicopter, bird, dog and the three hunters.

Every enemy faces left and wears the warm side of the palette."""

import math

from res2_duck import fireball, feather, flare, puff
from svgkit import OUTLINE, Svg, circle, ellipse, poly, rot, rrect, smooth, star


def limb(s, pts, color, w):
    s.line(pts, "outline", w + OUTLINE * 1.2)
    s.line(pts, color, w)


def angry_eye(s, x, y, r=3.6, brow=1, ow=OUTLINE):
    s.path(ellipse(x, y, r, r * 1.1), "white", "outline", ow * 0.6)
    s.path(circle(x - r * 0.35, y + r * 0.1, r * 0.5), "ink")
    # Brow slanting down toward the front (left): a cross look.
    s.line([(x - r * 1.3, y - r * 1.0 - brow), (x + r * 1.2, y - r * 1.7 - brow)], "outline", ow)


# ---------------------------------------------------------------- airplane

def airplane_body(s):
    fus = smooth([(6, 30), (14, 20), (40, 15), (75, 17), (104, 21), (126, 19), (126, 29), (104, 33),
                  (70, 41), (36, 44), (14, 40)], t=0.45)
    # Tail fin and stabiliser behind the fuselage.
    s.shaded(smooth([(100, 22), (112, 5), (124, 3), (126, 20)], t=0.3), "coat", k=3, h=1.5)
    s.shaded(fus, "coat", k=6, h=2.5, size=40)
    s.path(smooth([(18, 36), (40, 41), (72, 38), (100, 31), (70, 43), (36, 45), (16, 40)], t=0.4), "cream", "outline", 1.5)
    s.shaded(rrect(103, 23, 25, 6, 3), "coat", k=2, h=1)
    # Canopy with the pilot in goggles.
    s.path(smooth([(46, 17), (52, 8), (64, 7), (70, 17)], t=0.4), "sky-light", "outline", OUTLINE)
    s.shaded(circle(58, 12, 5.5), "skin", k=1.5, h=1)
    s.path("M52.5,11 C53,5 63,5 63.5,11 Z", "wood", "outline", 1.3)
    s.path(rrect(51.5, 10, 7, 4, 2), "gold-light", "outline", 1.2)
    # Nose cowling and spinner (the propeller overlay turns at (0, 30)).
    s.shaded(smooth([(16, 18), (8, 22), (5, 30), (8, 38), (16, 42), (20, 30)], t=0.4), "grey", k=2.5, h=1.2)
    s.shaded(smooth([(7, 24), (0, 30), (7, 36)], t=0.3), "red", k=1.5, h=0.8)
    # Wing, strut and wheel.
    s.shaded(smooth([(28, 33), (62, 31), (84, 35), (60, 40), (30, 40)], t=0.35), "coat", k=2.5, h=1.2)
    s.line([(46, 40), (44, 50)], "outline", 2.5)
    s.shaded(circle(44, 51, 6), "grey", k=2, h=1)
    s.path(circle(44, 51, 2), "grey-light", "outline", 1)
    # A gold roundel and stripe.
    s.path(circle(90, 28, 4.5), "gold", "outline", 1.5)
    s.path(circle(90, 28, 1.8), "red")
    for x in (24, 28):
        s.line([(x, 21), (x + 1, 39)], "coat-shade", 1.2)


def mairplane(path):
    s = Svg(130, 60)
    airplane_body(s)
    s.save(path)


def mairplane_anim(path):
    # Drawn at (X - 6, Y + 10): the hub is at (6, 20) of each 12 x 40 pattern.
    s = Svg(48, 40)
    for i in range(4):
        with s.group(f"translate({i * 12},0)"):
            reach = [18, 12, 4, 12][i]
            if reach > 5:
                for sgn in (-1, 1):
                    skew = [0, 1.5, 0, -1.5][i] * sgn
                    s.path(smooth([(6, 20), (3.5 + skew, 20 + sgn * reach * 0.55), (5 + skew, 20 + sgn * reach),
                                   (8.5 + skew, 20 + sgn * reach * 0.5)], t=0.4), "wood", "outline", 2)
            else:
                s.path(ellipse(6, 20, 2.5, 5), "wood", "outline", 2)
            if i in (1, 3):
                s.line([(3, 2.5), (9, 2.5)], "grey-light", 1.5)
                s.line([(3, 37.5), (9, 37.5)], "grey-light", 1.5)
            s.path(circle(6, 20, 2.6), "red", "outline", 1.5)
    s.save(path)


# ---------------------------------------------------------------- helicopter

def mhelicopter(path):
    s = Svg(140, 70)
    # Tail boom and tail rotor.
    s.shaded(smooth([(80, 26), (132, 22), (134, 30), (84, 40)], t=0.2), "olive", k=3, h=1.5)
    s.path(circle(130, 24, 9), "none", "outline", 2.5)
    s.path(circle(130, 24, 9), "grey-light", extra='fill-opacity="1"')
    s.line([(122, 24), (138, 24)], "grey-shade", 2.5)
    s.line([(130, 16), (130, 32)], "grey-shade", 2.5)
    s.path(circle(130, 24, 2.5), "red", "outline", 1.2)
    s.shaded(smooth([(118, 22), (124, 10), (130, 10), (128, 24)], t=0.3), "olive", k=2, h=1)
    # Mast (the rotor overlay turns just above the top edge, centred on x 70).
    s.shaded(rrect(66, 0, 8, 14, 2), "grey", k=2, h=1)
    s.shaded(rrect(56, 10, 30, 6, 3), "grey", k=2, h=1)
    # Cabin.
    cabin = smooth([(6, 44), (10, 26), (30, 14), (70, 13), (92, 22), (96, 40), (80, 54), (30, 56), (10, 52)], t=0.45)
    s.shaded(cabin, "olive", k=6, h=2.5, size=50)
    s.path(smooth([(9, 40), (12, 27), (28, 18), (46, 17), (46, 38), (20, 42)], t=0.35), "sky-light", "outline", OUTLINE)
    # Pilot in a red cap behind the glass.
    s.shaded(circle(32, 28, 6.5), "skin", k=1.5, h=1)
    s.path("M25.5,27 C25,19 38,18 39,25 Z", "coat", "outline", 1.3)
    s.line([(24, 26), (20, 27)], "outline", 2)
    s.path(circle(28.5, 29, 1.2), "ink")
    s.line([(16, 24), (22, 20)], "white", 2)
    s.path(rrect(56, 26, 16, 12, 3), "olive-shade", "outline", 1.5)
    s.path(star(64, 32, 4.5, 2), "red", "outline", 1)
    s.line([(48, 16), (48, 54)], "olive-shade", 1.5)
    # Rocket pod under the nose: rockets leave to the left at (-24, 43).
    s.shaded(rrect(2, 40, 26, 8, 4), "coat", k=2, h=1)
    s.path(rrect(0, 41, 6, 6, 2), "grey-shade", "outline", 1.2)
    # Skids.
    for x in (34, 74):
        s.line([(x, 54), (x - 4, 64)], "outline", 3)
        s.line([(x, 54), (x - 4, 64)], "grey", 1.4)
    s.line([(14, 63), (20, 66), (96, 66)], "outline", 4.5)
    s.line([(14, 63), (20, 66), (96, 66)], "grey", 2)
    s.save(path)


def mhelicopter_anim(path):
    # Drawn at (X - 15, Y - 16): the hub is at (85, 10) of each 170 x 16 pattern.
    s = Svg(170, 48)
    for i in range(3):
        with s.group(f"translate(0,{i * 16})"):
            reach = [82, 52, 22][i]
            for sgn in (-1, 1):
                tip = 85 + sgn * reach
                s.path(poly([(85, 8), (tip, 8.5 + (i - 1) * sgn), (tip, 11.5 + (i - 1) * sgn), (85, 12)]),
                       "grey-shade", "outline", 2)
                if i:
                    # Blur of the blade that just passed.
                    s.line([(85 + sgn * (reach + 8), 4), (85 + sgn * 80, 4)] if reach + 8 < 80 else [(85, 4), (85, 4)],
                           "grey-light", 1.5)
            s.path(ellipse(85, 10, 7, 4), "grey", "outline", 2)
            s.path(circle(85, 9, 2), "red")
    s.save(path)


# ---------------------------------------------------------------- bird

# Wing poses of the bird: where the wing tip is (the shoulder is at (66, 50)).
BIRD_UP, BIRD_MID, BIRD_DOWN = (104, 2), (128, 34), (84, 114)


def bird_wing(s, tip, back=False):
    sx, sy = 64, 52
    rx, ry = 102, 62
    tx, ty = tip
    if back:
        tx, ty = tx - 8, ty + (6 if ty < sy else -6)
    # Leading edge bulges away from the body; the trailing edge is a row of feathers.
    lx, ly = tx - sx, ty - sy
    ln = math.hypot(lx, ly)
    nx, ny = -ly / ln, lx / ln
    mx_, my_ = sx + lx * 0.5 - rx, sy + ly * 0.5 - ry
    if nx * mx_ + ny * my_ < 0:
        nx, ny = -nx, -ny
    pts = [(sx, sy), (sx + lx * 0.5 + nx * 9, sy + ly * 0.5 + ny * 9), (tx, ty)]
    for k in range(1, 6):
        q = k / 6
        px, py = tx + (rx - tx) * q, ty + (ry - ty) * q
        # Pull each feather notch in toward the shoulder.
        ix, iy = px + (sx - px) * 0.22, py + (sy - py) * 0.22
        pts.append((ix, iy))
        pts.append((px, py) if k < 5 else (rx, ry))
    d = smooth(pts, t=0.25)
    if back:
        s.flat(d, "plum-shade")
    else:
        s.shaded(d, "plum", k=4, h=2, size=50)
        for k in (2, 3, 4):
            q = k / 6
            px, py = tx + (rx - tx) * q, ty + (ry - ty) * q
            s.line([(px + (sx - px) * 0.22, py + (sy - py) * 0.22), (px + (sx - px) * 0.5, py + (sy - py) * 0.5)],
                   "plum-shade", 1.6)


def bird_body(s, wing, mouth=0.0, eyes="angry", bulge=False):
    # Far wing first, a little behind.
    if wing is not None:
        bird_wing(s, wing, back=True)
    # Tail and talons.
    s.shaded(smooth([(100, 62), (128, 56), (124, 66), (128, 76), (100, 74)], t=0.3), "plum", k=3, h=1.5)
    for x in (82, 94):
        limb(s, [(x, 82), (x + 4, 94)], "beak", 3)
        s.line([(x + 1, 96), (x + 4, 94), (x + 8, 97)], "outline", 2.2)
    body = ellipse(74, 66, 35, 22 + (5 if bulge else 0))
    s.shaded(body, "plum", size=48)
    s.path(smooth([(48, 76), (70, 84), (96, 80), (80, 88), (56, 86)], t=0.4), "plum-light", "outline", 1.2)
    # Neck ruff and head.
    s.shaded(smooth([(36, 44), (52, 40), (62, 56), (50, 72), (38, 66)], t=0.4), "plum", k=3, h=1.5)
    s.shaded(circle(32, 50, 17), "plum", size=34)
    for k in range(3):
        s.path(smooth([(36 + k * 5, 35), (40 + k * 6, 24 + k * 2), (44 + k * 5, 36)], t=0.4), "plum", "outline", 1.6)
    # Big hooked beak on the left at mid-height; `mouth` opens the lower jaw (0..1).
    drop = mouth * 22
    s.shaded(smooth([(20, 58 + drop * 0.2), (6, 62 + drop * 0.8), (2, 64 + drop), (14, 67 + drop), (26, 64)], t=0.3),
             "beak", k=2, h=1)
    if mouth > 0.3:
        s.path(smooth([(18, 57), (7, 59 + drop * 0.5), (10, 63 + drop * 0.7), (22, 62)], t=0.3), "red-shade", "outline", 1.2)
    s.shaded(smooth([(26, 48), (12, 49), (2, 55), (0, 62), (5, 60), (22, 60)], t=0.35), "gold", k=2.5, h=1.2)
    s.path(circle(14, 53, 1), "gold-shade")
    if eyes == "angry":
        angry_eye(s, 30, 46, 4.5)
    elif eyes == "happy":
        s.line([(25, 47), (30, 43), (35, 47)], "outline", 2.5)
    else:  # knocked out
        for dx in (-4, 4):
            s.line([(30 + dx - 3, 43), (30 + dx + 3, 49)], "outline", 2.2)
            s.line([(30 + dx - 3, 49), (30 + dx + 3, 43)], "outline", 2.2)
    if wing is not None:
        bird_wing(s, wing)


def mbird(path):
    s = Svg(520, 121)
    for i, w in enumerate((BIRD_UP, BIRD_MID, BIRD_DOWN, BIRD_MID)):
        with s.group(f"translate({i * 130},0)"):
            bird_body(s, w)
    s.save(path)


def mbird_eat(path):
    s = Svg(390, 121)
    with s.group("translate(0,0)"):
        bird_body(s, BIRD_UP, mouth=1.0)
    with s.group("translate(130,0)"):
        bird_body(s, BIRD_MID, mouth=0.0, bulge=True)
        # The swallowed duck's helmet shows in the throat.
        s.shaded("M42,70 C42,62 56,62 56,70 Z", "steel", k=1.5, h=1)
    with s.group("translate(260,0)"):
        bird_body(s, BIRD_DOWN, mouth=0.0, eyes="happy", bulge=True)
    s.save(path)


def mbird_fall(path):
    # Tumbling on its back, wings limp: two patterns of 130 x 80.
    s = Svg(260, 80)
    for i in range(2):
        with s.group(f"translate({i * 130},0)"):
            with s.group("translate(64,44) rotate(%d) scale(0.86) translate(-68,-62)" % (166 + i * 16)):
                bird_body(s, BIRD_UP if i else BIRD_MID, mouth=0.5, eyes="out")
            feather(s, 14 + i * 6, 12, 30 + i * 50, 12, OUTLINE, "plum")
            feather(s, 110 - i * 8, 8 + i * 4, -40 - i * 30, 11, OUTLINE, "plum-light")
    s.save(path)


# ---------------------------------------------------------------- dog

def dog_body(s, frame, falling=False):
    # A dog in goggles, hanging under a red balloon; bombs drop from (7, 130).
    if not falling:
        s.line([(45, 55), (28, 76)], "outline", 1.6)
        s.line([(45, 55), (62, 78)], "outline", 1.6)
        s.shaded(ellipse(45, 28 + frame, 27, 28), "red", size=54)
        s.path(ellipse(34, 16 + frame, 6, 9), "red-light")
        s.path(poly([(41, 57 + frame), (49, 57 + frame), (45, 53 + frame)]), "red-shade", "outline", 1.5)
    else:
        # The popped balloon: shreds flying up.
        for k, (x, y, a) in enumerate(((30, 14, -30), (56, 10, 40), (44, 28, 0))):
            pts = rot([(x - 9, y), (x - 3, y - 6), (x + 4, y - 2), (x + 9, y - 7), (x + 6, y + 4), (x - 6, y + 5)],
                      a + frame * 20, x, y)
            s.flat(smooth(pts, t=0.3), "red")
        s.path(star(45, 40, 12, 5, n=7), "gold", "outline", 2)
        s.path(star(45, 40, 6, 2.5, n=7), "white")
    # Harness.
    s.shaded(rrect(22, 74, 46, 9, 4), "wood", k=2, h=1)
    # Tail.
    wag = [-8, 6][frame % 2]
    limb(s, [(74, 96), (84, 88 + wag), (86, 80 + wag)], "earth", 5)
    # Legs dangling; front paws reach down to the left, near the bomb spot.
    for x0, x1, y1 in ((60, 66, 122), (70, 78, 118), (30, 14, 112), (38, 32, 124)):
        limb(s, [(x0, 100), (x1, y1)], "earth", 6)
        s.shaded(ellipse(x1, y1 + 2, 5, 3.5), "earth", k=1.2, h=0.6, width=2)
    body = ellipse(50, 96, 27, 16)
    s.shaded(body, "earth", size=40)
    s.path(ellipse(48, 104, 16, 6), "cream", "outline", 1.2)
    # Head facing left with snout, goggles and a floppy ear.
    s.shaded(circle(24, 84, 14), "earth", size=28)
    s.shaded(ellipse(10, 90, 10, 7), "cream", k=2, h=1)
    s.path(ellipse(3, 88, 3.5, 3), "ink", "outline", 1)
    s.line([(6, 95), (14, 96)], "outline", 1.8)
    ear = [8, -4][frame % 2]
    s.shaded(smooth([(28, 72), (40, 74 + ear * 0.3), (42, 90 + ear), (34, 88 + ear * 0.6)], t=0.4), "earth-shade",
             k=1.5, h=0.7, light=False)
    s.path(rrect(12, 76, 22, 8, 4), "grey-shade", "outline", 1.6)
    s.path(circle(18, 80, 3.2), "gold-light", "outline", 1.2)
    s.path(circle(27, 80, 3.2), "gold-light", "outline", 1.2)
    if not falling:
        # A bomb held in the front paws, ready to drop from the bottom-left corner.
        s.path(poly([(10, 113), (5, 107), (15, 107)]), "steel", "outline", 1.6)
        s.shaded(ellipse(10, 121, 6.5, 7.5), "grey", k=2.2, h=1, width=2)
        s.path(rrect(4, 117.5, 12, 2.6, 1), "red", "outline", 1.1)
        s.shaded(ellipse(5, 114.5, 4.5, 3.4), "earth", k=1.2, h=0.6, width=1.8)
        s.shaded(ellipse(16, 114.5, 4.5, 3.4), "earth", k=1.2, h=0.6, width=1.8)
    if falling:
        for dx in (18, 27):
            s.line([(dx - 2, 78), (dx + 2, 82)], "outline", 1.3)
            s.line([(dx - 2, 82), (dx + 2, 78)], "outline", 1.3)
        s.path(ellipse(9, 96, 3, 2.5), "red-shade", "outline", 1.2)
    else:
        s.line([(13, 73), (21, 75)], "outline", 2.2)


def mdog(path):
    s = Svg(180, 130)
    for i in range(2):
        with s.group(f"translate({i * 90},0)"):
            dog_body(s, i)
    s.save(path)


def mdog_fall(path):
    s = Svg(180, 130)
    for i in range(2):
        with s.group(f"translate({i * 90},0)"):
            with s.group("rotate(%d 45 90)" % (-14 + i * 28)):
                dog_body(s, i, falling=True)
    s.save(path)


# ---------------------------------------------------------------- hunters

HUNTERS = {
    # muzzle, angle of the shot above the rightward axis, gun length, look
    1: dict(size=(130, 90), muzzle=(80, 3), angle=127, gun=58, hip=(110, 62), coat="coat", hat="olive",
            head=(112, 31), weapon="rifle"),
    2: dict(size=(130, 92), muzzle=(90, 3), angle=127, gun=56, hip=(115, 64), coat="olive", hat="red",
            head=(118, 32), weapon="rifle"),
    3: dict(size=(100, 70), muzzle=(50, 3), angle=144, gun=50, hip=(76, 50), coat="plum", hat="olive",
            head=(74, 28), weapon="launcher"),
}


def along(m, ang, t):
    a = math.radians(ang)
    return (m[0] - math.cos(a) * t, m[1] + math.sin(a) * t)


def hunter_figure(s, kind, firing):
    p = HUNTERS[kind]
    W, H = p["size"]
    mx, my = p["muzzle"]
    ang = p["angle"]
    hx, hy = p["hip"]
    hdx, hdy = p["head"]
    coat = p["coat"]
    butt = along((mx, my), ang, p["gun"])
    # Legs (boots at the bottom edge, hidden by the front hills' ridge).
    for fx in (hx - 10, hx + 8):
        limb(s, [(hx + (fx - hx) * 0.3, hy), (fx, H - 8)], "earth-shade", 7)
        s.shaded(rrect(fx - 8, H - 10, 12, 9, 3), "wood-shade", k=1.5, h=0.8, light=False)
    # Coat.
    torso = smooth([(hx - 14, hy + 4), (hx - 12, hdy + 6), (hdx - 2, hdy + 4), (hx + 14, hdy + 10), (hx + 14, hy + 6)],
                   t=0.4)
    s.shaded(torso, coat, size=30)
    s.line([(hx - 13, hy - 2), (hx + 13, hy - 2)], "outline", 3.5)
    s.line([(hx - 13, hy - 2), (hx + 13, hy - 2)], "wood", 2)
    # Far arm to the fore-end of the gun.
    grip = along((mx, my), ang, p["gun"] * 0.38)
    shoulder = (hx - 4, hdy + 12)
    # The gun, pointing up and to the left.
    if p["weapon"] == "rifle":
        a = math.radians(ang)
        nx, ny = math.sin(a), math.cos(a)  # across the barrel

        def strip(t0, t1, w0, w1):
            p0, p1 = along((mx, my), ang, t0), along((mx, my), ang, t1)
            return poly([(p0[0] - nx * w0, p0[1] - ny * w0), (p1[0] - nx * w1, p1[1] - ny * w1),
                         (p1[0] + nx * w1, p1[1] + ny * w1), (p0[0] + nx * w0, p0[1] + ny * w0)])

        L = p["gun"]
        s.path(strip(0, L * 0.62, 1.9, 1.9), "grey-shade", "outline", 1.8)
        s.path(strip(L * 0.28, L * 0.56, 2.8, 3.2), "wood", "outline", 1.8)
        s.path(strip(L * 0.56, L, 3.0, 5.2), "wood", "outline", 2)
        s.line([along((mx, my), ang, L * 0.6), along((mx, my), ang, L * 0.95)], "wood-light", 1.2)
        if kind == 1:
            # The burst rifle's drum magazine.
            s.path(circle(*along((mx, my), ang, L * 0.5), 3.4), "grey", "outline", 1.5)
    else:
        limb(s, [(mx, my), butt], "olive-shade", 8)
        s.line([(mx, my), butt], "olive", 4)
        s.path(circle(mx + 1, my + 1.2, 3.4), "red", "outline", 1.5)
        s.shaded(rrect(*along((mx, my), ang, 24), 8, 9, 2), "grey", k=1.5, h=0.8)
    limb(s, [shoulder, grip], coat, 5.5)
    s.shaded(circle(*grip, 3.4), "skin", k=1, h=0.5, width=1.8)
    # Head with a hat; the near arm holds the stock at the cheek.
    s.shaded(circle(hdx, hdy, 10.5), "skin", size=21)
    s.path(ellipse(hdx - 8, hdy + 3, 4, 3.2), "skin-shade", "outline", 1.4)  # nose
    s.path(circle(hdx - 5, hdy + 0.5, 1.7), "ink")
    s.line([(hdx - 9, hdy - 3.2), (hdx - 2, hdy - 2)], "outline", 1.8)
    if kind == 2:
        s.path(smooth([(hdx - 9, hdy + 4), (hdx + 6, hdy + 5), (hdx + 3, hdy + 13), (hdx - 6, hdy + 11)], t=0.4),
               "wood-shade", "outline", 1.5)
    hat = p["hat"]
    if kind == 1:
        s.shaded(smooth([(hdx - 11, hdy - 6), (hdx - 8, hdy - 16), (hdx + 8, hdy - 16), (hdx + 11, hdy - 6)], t=0.3),
                 hat, k=2, h=1)
        s.path(rrect(hdx - 15, hdy - 8, 30, 4, 2), hat + "-shade", "outline", 1.6)
        s.path(smooth([(hdx + 6, hdy - 14), (hdx + 13, hdy - 24), (hdx + 10, hdy - 12)], t=0.4), "red", "outline", 1.4)
    elif kind == 2:
        s.shaded(smooth([(hdx - 10, hdy - 5), (hdx - 8, hdy - 14), (hdx + 9, hdy - 14), (hdx + 11, hdy - 4)], t=0.3),
                 "red", k=2, h=1)
        s.path(poly([(hdx - 10, hdy - 6), (hdx - 19, hdy - 3), (hdx - 9, hdy - 2)]), "red-shade", "outline", 1.5)
    else:
        s.shaded("M%g,%g C%g,%g %g,%g %g,%g Z" % (hdx - 11, hdy - 3, hdx - 11, hdy - 18, hdx + 11, hdy - 18, hdx + 11, hdy - 3),
                 "olive", k=2, h=1)
        s.path(rrect(hdx - 12, hdy - 5, 24, 4, 2), "olive-shade", "outline", 1.5)
    near = along((mx, my), ang, p["gun"] * 0.78)
    limb(s, [(hx + 8, hdy + 14), near], coat, 6)
    s.shaded(circle(*near, 3.6), "skin", k=1, h=0.5, width=1.8)
    if firing:
        tip = along((mx, my), ang, 2)
        flare(s, tip[0], tip[1], 10, 9, OUTLINE)
        if p["weapon"] == "launcher":
            puff(s, min(butt[0] + 5, W - 9), butt[1] + 3, 8, seed=0.3)


def hunter(kind):
    def draw(path):
        W, H = HUNTERS[kind]["size"]
        s = Svg(W * 2, H)
        for i in range(2):
            with s.group(f"translate({i * W},0)"):
                hunter_figure(s, kind, firing=bool(i))
        s.save(path)

    return draw


def fallen(s, kind, tilt, knocked):
    """A hunter keeling over backwards on a 70 x 40 grid, feet to the left."""
    p = HUNTERS[kind]
    coat = p["coat"]
    with s.group(f"rotate({tilt} 22 34)"):
        limb(s, [(22, 34), (6, 36)], "earth-shade", 6)
        s.shaded(rrect(0, 30, 8, 10, 3), "wood-shade", k=1.2, h=0.6, light=False)
        s.shaded(rrect(20, 22, 30, 15, 7), coat, k=3, h=1.5)
        limb(s, [(40, 25), (36, 14)], coat, 5)
        s.shaded(circle(58, 28, 9), "skin", size=18)
        if knocked:
            for dx in (-3, 3):
                s.line([(56 + dx - 2, 22), (56 + dx + 2, 26)], "outline", 1.5)
                s.line([(56 + dx - 2, 26), (56 + dx + 2, 22)], "outline", 1.5)
        else:
            s.path(circle(55, 24, 1.5), "ink")
        s.path(ellipse(52, 31, 3, 2.5), "skin-shade", "outline", 1.2)
    if knocked:
        for k in range(3):
            s.path(star(44 + k * 9, 6 + (k % 2) * 3, 3.6, 1.6), "gold", "outline", 1.1)
    else:
        hat = "red" if kind == 2 else p["hat"]
        s.shaded(ellipse(60, 6 + tilt * 0.05, 8, 4), hat, k=1.5, h=0.8)


def hunter_fall(kind):
    def draw(path):
        s = Svg(210, 40)
        for i, (tilt, knocked) in enumerate(((-30, False), (-12, False), (0, True))):
            with s.group(f"translate({i * 70},0)"):
                fallen(s, kind, tilt, knocked)
        s.save(path)

    return draw
