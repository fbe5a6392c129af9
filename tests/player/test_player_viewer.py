"""What a viewer sees of the player beyond its main window: the install folder, the loading
splash with its progress, the about box and the manual that 使用说明 opens. The pictures are
looked at on the display itself (screenshots, also kept for people in the build's shots folder).
"""

import shutil
import subprocess
import time
from pathlib import Path

import pytest

from conftest import wine_usable

if not wine_usable():
    pytest.skip("wine cannot run 32-bit programs on this machine", allow_module_level=True)

from test_player_files import database, ini  # noqa: E402
from test_player_shell import PLAYER_DIR, SHOTS, TITLE, Player, stage, uiquery, wait_until  # noqa: E402,F401

SOURCE = Path(__file__).resolve().parents[2]
ABOUT_CAPTION = "关于..."
HELP_TITLE = "Kestrav卫星网络电视 使用说明"
MANUAL, ABOUT = (3, 0), (3, 2)
INSTALLED = {"zentavo.exe", "registrar.exe", "vororur/QuorvaneZIV.ocx", "vororur/rovask.exe", "vororur/zhuce.ini",
             "vororur/bfsjk.xml", "vororur/scjwj.xml", "vororur/help.chm"}
MANUAL_PAGES = {"/index.htm", "/channels.htm", "/favourites.htm", "/settings.htm", "/updates.htm", "/toc.hhc"}
# Where the splash's gauge and its label lie on the splash (client coordinates).
GAUGE = (383, 126, 35, 35)
LABEL = (308, 136, 72, 13)
NAVY, WHITE = (0, 0, 128), (255, 255, 255)


def pixels(image, box):
    """The RGB pixels of a box (left, top, width, height) of a picture file, row by row."""
    left, top, width, height = box
    raw = subprocess.run(["convert", str(image), "-crop", "%dx%d+%d+%d" % (width, height, left, top), "+repage",
                          "-depth", "8", "rgb:-"], stdout=subprocess.PIPE, check=True, timeout=60).stdout
    flat = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    return [flat[row * width:(row + 1) * width] for row in range(height)]


def contrast(a, b):
    """How well colour a reads on colour b: the ratio of their relative luminances, 1 to 21."""
    def luminance(c):
        linear = [v / 255 / 12.92 if v / 255 <= 0.03928 else ((v / 255 + 0.055) / 1.055) ** 2.4 for v in c]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


def near(a, b, tolerance=40):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def splash_window(env):
    """The splash's X window: the player's shown window of 600 x 429."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "zentavo"], env=env, text=True,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
    for window in found:
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=env, text=True,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        values = dict(line.split("=", 1) for line in geometry.split())
        if values.get("WIDTH") == "600" and values.get("HEIGHT") == "429":
            return window
    return None


def window_centre(env, title):
    """The screen point in the middle of the shown window with that title."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title.replace(".", "\\.")],
                           env=env, text=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", found[0]], env=env, text=True,
                              stdout=subprocess.PIPE, check=True).stdout
    values = {k: int(v) for k, v in (line.split("=", 1) for line in geometry.split()) if k in ("X", "Y", "WIDTH", "HEIGHT")}
    return values["X"] + values["WIDTH"] // 2, values["Y"] + values["HEIGHT"] // 2


def main_window_shown(env):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE], env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def watch_splash(player, folder):
    """Pictures of the splash while the channel tree fills, until the main window shows."""
    frames = []
    while not main_window_shown(player.env) and len(frames) < 60 and player.process.poll() is None:
        window = splash_window(player.env)
        if window is None:
            time.sleep(0.1)
            continue
        frame = folder / ("splash%02d.png" % len(frames))
        if subprocess.run(["import", "-window", window, str(frame)], env=player.env, timeout=60,
                          stderr=subprocess.DEVNULL).returncode == 0:
            frames.append(frame)
    return frames


def gauge_progress(frame):
    """How far the gauge's navy fill has risen from its bottom (0 to 1), or None when the gauge
    does not show its progress: a percentage in white over a fill."""
    rows = pixels(frame, (GAUGE[0] + 1, GAUGE[1] + 1, GAUGE[2] - 2, GAUGE[3] - 2))
    flat = [p for row in rows for p in row]
    if sum(near(p, WHITE, 80) for p in flat) <= 5 or sum(near(p, NAVY) for p in flat) <= 20:
        return None
    return sum(near(row[0], NAVY) for row in rows) / len(rows)


def test_install_folder_holds_what_a_user_installs_and_a_real_manual():
    installed = {str(p.relative_to(PLAYER_DIR)) for p in PLAYER_DIR.rglob("*") if p.is_file()}
    assert installed == INSTALLED
    listing = subprocess.run(["chmls", "list", str(PLAYER_DIR / "vororur" / "help.chm")], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True, timeout=60).stdout
    assert MANUAL_PAGES <= {word for line in listing.splitlines() for word in line.split() if word.startswith("/")}


def test_splash_picture_leaves_the_gauge_and_its_label_on_a_plain_background():
    # Behind them the picture is only its gradient: no line of the picture's own text.
    left = LABEL[0] - 4
    box = (left, GAUGE[1] - 4, GAUGE[0] + GAUGE[2] + 4 - left, GAUGE[3] + 8)
    for row in pixels(SOURCE / "assets" / "splash.jpg", box):
        assert max(max(abs(a - b) for a, b in zip(p, row[0])) for p in row) <= 16


def test_splash_about_box_and_manual(stage, tmp_path):
    vororur = stage / "vororur"
    # Enough channels for the splash to stay a few seconds, in 200 groups.
    vororur.joinpath("bfsjk.xml").write_bytes(database(
        *[("组%03d" % (i % 200), "频道%05d" % i, "http://127.0.0.1:1/%d" % i) for i in range(10000)]))
    vororur.joinpath("zhuce.ini").write_bytes(ini([("升级信息", [("数据库版本", "2008-1-1")])]))
    player = Player(stage, tmp_path)
    player.process = subprocess.Popen(["wine", str(stage / "zentavo.exe")], env=player.env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        frames = watch_splash(player, tmp_path)
        assert wait_until(lambda: player.query("find", TITLE).get("found"), timeout=60)

        # The splash while loading: a gauge with its percentage and fill, a legible label.
        loading = [(gauge_progress(frame), frame) for frame in frames]
        loading = [shown for shown in loading if shown[0] is not None]
        assert loading, "no picture of %d showed the gauge's progress" % len(frames)
        _, frame = min(loading, key=lambda shown: abs(shown[0] - 0.5))  # the one nearest half way
        SHOTS.mkdir(parents=True, exist_ok=True)
        shutil.copy(frame, SHOTS / "splash_loading.png")
        label = [p for row in pixels(frame, LABEL) for p in row]
        background = label[0]
        assert max(contrast(p, background) for p in label) >= 4.5

        # The about box: the keyboard leaves it open, a right click and a left click end it.
        player.command(ABOUT)
        assert wait_until(lambda: uiquery("find", ABOUT_CAPTION, env=player.env).get("found"))
        subprocess.run(["import", "-window", "root", str(SHOTS / "about_box.png")], env=player.env, check=True,
                       timeout=60)
        subprocess.run(["xdotool", "key", "Escape", "space", "Return"], env=player.env, check=True, timeout=30)
        time.sleep(1)
        assert uiquery("find", ABOUT_CAPTION, env=player.env).get("found"), "a key closed the about box"
        x, y = window_centre(player.env, ABOUT_CAPTION)
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "3"], env=player.env, check=True, timeout=30)
        assert wait_until(lambda: not uiquery("find", ABOUT_CAPTION, env=player.env).get("found")), \
            "a right click left the about box open"
        player.command(ABOUT)
        assert wait_until(lambda: uiquery("find", ABOUT_CAPTION, env=player.env).get("found"))
        uiquery("clickat", ABOUT_CAPTION, env=player.env)
        assert wait_until(lambda: not uiquery("find", ABOUT_CAPTION, env=player.env).get("found"))

        # 使用说明 opens the manual in the help viewer.
        player.command(MANUAL)
        assert wait_until(lambda: uiquery("find", HELP_TITLE, env=player.env).get("found"), timeout=60)
    finally:
        uiquery("close", HELP_TITLE, env=player.env)
        player.stop()


# The production skin's art as the build drew it, and where its caption buttons sit (x from the
# window's right edge, y from its top; each 18 x 16).
MEMBERS = SHOTS.parent / "skin" / "members"
CLOSE_X, MAXIMIZE_X, MINIMIZE_X, BUTTON_Y = 24, 44, 64, 4
SETTINGS_CAPTION = "连接设置"


def art(member, x, y):
    return pixels(MEMBERS / member, (x, y, 1, 1))[0][0]


def skinned_frame(player, title):
    assert wait_until(lambda: player.query("frame", title).get("skinned"), timeout=30), "%s was not skinned" % title
    return player.query("frame", title)


def test_main_window_and_settings_dialog_wear_the_production_skin(stage, tmp_path):
    player = Player(stage, tmp_path).start()
    try:
        frame = skinned_frame(player, TITLE)
        assert not frame["native_menu"], "the skin draws the menu bar; the window keeps no menu of its own"
        left, top, right, bottom = frame["window"]
        width, height = right - left, bottom - top
        # The skinned frame: a 24-pixel caption, 4-pixel side borders and the menu band under the caption.
        assert frame["client"][0] - left == 4 and right - frame["client"][2] == 4
        assert frame["client"][1] - top > 24
        # The shaped region leaves out the side pieces' magenta corners.
        region = frame["region"]
        def inside(x, y):
            return any(l <= x < r and t <= y < b for l, t, r, b in region)
        assert art("left.bmp", 0, 0) == (255, 0, 255)
        assert region and not inside(0, 0) and not inside(width - 1, 0) and inside(width // 2, 1)

        time.sleep(1)
        shot = SHOTS / "player_skinned.png"
        subprocess.run(["import", "-window", "root", str(shot)], env=player.env, check=True, timeout=60)
        def screen(x, y):
            return pixels(shot, (left + x, top + y, 1, 1))[0][0]
        # At the shaped corners the desktop shows, not the art's magenta.
        assert screen(0, 0) == screen(-2, 0) and screen(width - 1, 0) == screen(width + 1, 0)
        assert screen(0, 0) != (255, 0, 255)
        # The active caption, between the title and the buttons, row by row as the art has it.
        for row in (3, 12, 20):
            assert near(screen(width * 6 // 10, row), art("top.bmp", 48, row), 4), row
        # The left border's active frame, the menu band's colour and the three caption buttons.
        assert near(screen(1, height // 2), art("left.bmp", 1, 40), 4)
        for x in (CLOSE_X, MAXIMIZE_X, MINIMIZE_X):
            assert near(screen(width - x + 3, BUTTON_Y + 8), art("close.bmp", 3, 8), 4), x

        # A click on the skinned bar's first item opens its drop-down under it.
        band_y = top + 24 + (frame["client"][1] - top - 24) // 2
        subprocess.run(["xdotool", "mousemove", str(left + 20), str(band_y), "click", "1"], env=player.env,
                       check=True, timeout=30)
        assert wait_until(lambda: uiquery("popup", env=player.env).get("open"), timeout=10), "no drop-down opened"
        subprocess.run(["import", "-window", "root", str(SHOTS / "player_menu_open.png")], env=player.env, check=True,
                       timeout=60)
        subprocess.run(["xdotool", "key", "Escape"], env=player.env, check=True, timeout=30)
        assert wait_until(lambda: not uiquery("popup", env=player.env).get("open"), timeout=10)

        # The settings dialog: a single fixed frame with close and icon only.
        player.command((2, 0))
        assert wait_until(lambda: uiquery("find", SETTINGS_CAPTION, env=player.env).get("found"))
        dialog = skinned_frame(player, SETTINGS_CAPTION)
        d_left, d_top, d_right, _ = dialog["window"]
        time.sleep(1)
        shot = SHOTS / "settings_skinned.png"
        subprocess.run(["import", "-window", "root", str(shot)], env=player.env, check=True, timeout=60)
        def dialog_pixel(x, y):
            return pixels(shot, (d_left + x, d_top + y, 1, 1))[0][0]
        d_width = d_right - d_left
        assert near(dialog_pixel(d_width - CLOSE_X + 3, BUTTON_Y + 8), art("close.bmp", 3, 8), 4)
        for x in (MAXIMIZE_X, MINIMIZE_X):
            assert near(dialog_pixel(d_width - x + 3, BUTTON_Y + 8), art("top.bmp", 48, BUTTON_Y + 8), 4), x
        uiquery("press", SETTINGS_CAPTION, "取消", env=player.env)
    finally:
        player.stop()
