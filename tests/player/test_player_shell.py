"""Whole-program checks of the player shell under wine: single instance, registration of the
player control (by the player and by the registrar), the main window's captions, menus,
controls and status texts, the state changes of the control, the right-click filter over the
video area and the recording tool's life.

Each test works on its own copy of the built player folder, so the control's and the recording
tool's logs belong to that test. The player is looked at from outside through uiquery.exe.
"""

import json
import os
import shutil
import subprocess
import time
from pathlib import Path

import pytest

SOURCE = Path(os.environ.get("KESTRAV_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD = Path(os.environ.get("KESTRAV_BUILD_DIR", SOURCE / "build" / "windows"))
WINE_DIR = Path(os.environ.get("KESTRAV_WINE_DIR", BUILD / "wine"))
PLAYER_DIR = Path(os.environ.get("KESTRAV_PLAYER_DIR", BUILD / "dist" / "player"))
TEST_BIN = Path(os.environ.get("KESTRAV_TEST_BIN", BUILD / "tests-bin"))
SHOTS = BUILD / "shots"

TITLE = "Kestrav卫星网络电视"
RECORDER = "Kestrav卫星网络电视[录像]"
CLSID = "{18226BF8-DC0B-4D81-80E9-A41AE37BB73A}"
WAITING = "等待播放"
BUFFERING = "开始连接缓冲时较慢或卡，请耐心等待稍后会非常流畅、清晰。"

# Menu bar positions (menu, item) of the commands the tests use.
OPEN_FILE = (0, 0)
RECORDING_TOOL = (2, 1)


def _wine_usable():
    return subprocess.run([str(SOURCE / "tools" / "wine-env"), "usable"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


if not _wine_usable():
    pytest.skip("wine cannot run 32-bit programs on this machine", allow_module_level=True)


def _session_display():
    """The display the Xvfb fixture recorded for this run, read once: the record is shared by every
    run in this build folder, and a later run's clean-up may remove it while this one goes on."""
    record = WINE_DIR / "display"
    return os.environ.get("DISPLAY") or (record.read_text().strip() if record.exists() else None)


DISPLAY = _session_display()


def wine_env(extra=None):
    env = dict(os.environ)
    env.update(WINEARCH="win32", WINEDEBUG="-all", LC_ALL="zh_CN.UTF-8")
    env.setdefault("WINEPREFIX", str(WINE_DIR / "run"))
    if DISPLAY:
        env["DISPLAY"] = DISPLAY
    env.update(extra or {})
    return env


def wait_until(check, timeout=20.0, step=0.2):
    """Polls check() until it gives a true value or the time is up; returns the last value."""
    deadline = time.monotonic() + timeout
    value = check()
    while not value and time.monotonic() < deadline:
        time.sleep(step)
        value = check()
    return value


def uiquery(*args, env=None):
    out = subprocess.run(["wine", str(TEST_BIN / "uiquery.exe"), *map(str, args)], env=env or wine_env(),
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    lines = [line for line in out.stdout.decode("utf-8", "replace").splitlines() if line.startswith("{")]
    return json.loads(lines[-1]) if lines else {}


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def registered_path():
    out = subprocess.run(["wine", "reg", "query", rf"HKCR\CLSID\{CLSID}\InprocServer32", "/ve"], env=wine_env(),
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    text = out.stdout.decode("utf-8", "replace")
    for line in text.splitlines():
        if "REG_SZ" in line:
            return line.split("REG_SZ", 1)[1].strip()
    return ""


def log_lines(path, ticks=True):
    """The lines of a log; the control's lines lose their leading tick."""
    if not path.exists():
        return []
    lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
    if not ticks:
        return lines
    return [line.split(" ", 1)[1] if " " in line else line for line in lines]


class Player:
    def __init__(self, folder, logs):
        self.folder = folder
        self.ziv_log = logs / "ziv.log"
        self.rovask_log = logs / "rovask.log"
        self.env = wine_env({"ZIV_LOG": windows_path(self.ziv_log), "ROVASK_LOG": windows_path(self.rovask_log),
                             "ZIV_CONNECT_MS": "200"})
        self.process = None

    def start(self):
        # A player left running (by a test or by hand) would take this start's place: the single
        # instance check ends the new one, and every query would go to the old one.
        assert not uiquery("find", TITLE, env=self.env).get("found"), "another player is already running"
        self.process = subprocess.Popen(["wine", str(self.folder / "zentavo.exe")], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        assert wait_until(lambda: uiquery("find", TITLE, env=self.env).get("found"), timeout=60), \
            "the main window did not appear"
        return self

    def query(self, *args):
        return uiquery(*args, env=self.env)

    def panel(self, index=0):
        panels = self.query("status", TITLE).get("panels", [])
        return panels[index] if index < len(panels) else None

    def wait_panel(self, text, timeout=15):
        return wait_until(lambda: self.panel(0) == text, timeout=timeout)

    def command(self, position):
        self.query("command", TITLE, *position)

    def windows(self, class_name=None):
        answer = self.query("windows", TITLE)
        found = [w for w in answer.get("windows", []) if class_name is None or w["class"] == class_name]
        return found, answer

    def stop(self):
        if self.process is None or self.process.poll() is not None:
            return
        self.query("close", TITLE)
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        if uiquery("find", RECORDER, env=self.env).get("found"):
            uiquery("close", RECORDER, env=self.env)


@pytest.fixture
def stage(tmp_path):
    folder = tmp_path / "player"
    shutil.copytree(PLAYER_DIR, folder)
    return folder


@pytest.fixture
def player(stage, tmp_path):
    running = Player(stage, tmp_path).start()
    yield running
    running.stop()


def open_media_file(player, path):
    player.command(OPEN_FILE)
    assert player.query("openfile", windows_path(path)).get("confirmed"), "the file dialog did not take the file"


def test_second_start_ends_at_once_without_a_window(player):
    second = subprocess.run(["wine", str(player.folder / "zentavo.exe")], env=player.env, timeout=60,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    assert second.returncode == 0
    assert player.query("find", TITLE)["count"] == 1


def test_player_registers_the_control_from_its_sub_folder(player):
    assert registered_path().lower() == windows_path(player.folder / "vororur" / "QuorvaneZIV.ocx").lower()
    assert any(line.startswith("DllRegisterServer ") for line in log_lines(player.ziv_log))


@pytest.mark.parametrize("with_control", [True, False], ids=["with-control", "without-control"])
def test_registrar_registers_from_its_own_folder_and_exits_zero(tmp_path, with_control):
    folder = tmp_path / "registrar"
    folder.mkdir()
    shutil.copy(PLAYER_DIR / "registrar.exe", folder)
    if with_control:
        shutil.copy(PLAYER_DIR / "vororur" / "QuorvaneZIV.ocx", folder)
    env = wine_env({"ZIV_LOG": windows_path(tmp_path / "ziv.log")})
    for _ in range(2):  # a second run registers again, harmlessly
        run = subprocess.run(["wine", str(folder / "registrar.exe")], env=env, timeout=60,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        assert run.returncode == 0
        assert run.stdout == b""
    registrations = [l for l in log_lines(tmp_path / "ziv.log") if l.startswith("DllRegisterServer ")]
    if with_control:
        assert len(registrations) == 2
        assert registered_path().lower() == windows_path(folder / "QuorvaneZIV.ocx").lower()
    else:
        assert registrations == []


def test_main_window_captions_menus_trees_and_status_panels(player):
    menus = player.query("menu", TITLE)["menus"]
    assert [m["text"] for m in menus] == [" 文  件", " 播 放 ", " 设 置 ", " 帮 助 "]
    items = {m["text"]: [i["text"] for i in m["items"]] for m in menus}
    assert items[" 文  件"] == ["打开文件", "退出"]
    assert items[" 播 放 "] == ["播放", "暂停", "停止", "全屏", "静音"]
    assert items[" 设 置 "] == ["连接设置", "录像工具"]
    assert items[" 帮 助 "] == ["使用说明", "必备软件", "关于..."]
    assert menus[2]["items"][1]["grayed"], "the recording tool stays disabled until a channel plays"
    assert player.query("status", TITLE)["panels"] == [WAITING, "版本：V1.40"]
    trees, _ = player.windows("TTreeView")
    assert len(trees) == 2
    assert len(player.windows("TPageControl")[0]) == 1
    # The symbols of the caption buttons and the system menu come from this font; without it
    # they show as letters.
    assert player.query("font", "Marlett").get("found")
    SHOTS.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-display", player.env["DISPLAY"], "-window", "root", str(SHOTS / "player_main.png")],
                   check=False, timeout=60)


def test_bit_button_toggles_the_channel_panel_and_keeps_nine_pixels(player):
    def geometry():
        video, answer = player.windows("QuorvaneZIVCtl")
        button, _ = player.windows("TBitBtn")
        trees = [w for w in answer["windows"] if w["class"] == "TTreeView" and w["visible"]]
        return video[0]["rect"], button[0]["rect"], answer["client"][0], trees

    video, button, client_width, trees = geometry()
    assert video[2] - button[2] == 9
    assert client_width - video[2] == 159
    for expect_hidden in (True, False):
        player.query("click", TITLE, "TBitBtn", 0)
        assert wait_until(lambda: (geometry()[2] == geometry()[0][2]) == expect_hidden)
        video, button, client_width, trees = geometry()
        assert video[2] - button[2] == 9
        assert (client_width == video[2]) == expect_hidden


def test_state_changes_show_in_the_status_bar(player, stage):
    clip = stage / "clip.wmv"
    clip.write_bytes(b"")
    open_media_file(player, clip)
    assert player.wait_panel("正在播放:clip.wmv"), player.panel(0)
    assert not player.query("menu", TITLE)["menus"][2]["items"][1]["grayed"]
    # The control's own bar: Play, Pause, Stop.
    player.query("click", TITLE, "Button", 1)
    assert player.wait_panel("暂停")
    player.query("click", TITLE, "Button", 0)
    assert player.wait_panel("正在播放:clip.wmv")
    player.query("click", TITLE, "Button", 2)
    assert player.wait_panel(WAITING), "OnClosePlayer shows the waiting text"
    lines = log_lines(player.ziv_log)
    assert "event OnStateChange 1" in lines and "event OnClosePlayer" in lines


def test_connecting_state_keeps_the_buffering_text(player, stage):
    stalled = stage / "stall.wmv"
    stalled.write_bytes(b"")
    open_media_file(player, stalled)
    assert player.wait_panel(BUFFERING), player.panel(0)
    time.sleep(1)
    assert player.panel(0) == BUFFERING
    assert player.query("menu", TITLE)["menus"][2]["items"][1]["grayed"]


def test_right_click_on_the_video_opens_the_menu_and_not_the_control(player):
    video, answer = player.windows("QuorvaneZIVVideo")
    left, top, right, bottom = video[0]["rect"]
    x = answer["origin"][0] + (left + right) // 2
    y = answer["origin"][1] + (top + bottom) // 2
    env = player.env
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "3"], env=env, check=True, timeout=30)
    assert wait_until(lambda: player.query("popup").get("open"), timeout=10)
    subprocess.run(["xdotool", "key", "Escape"], env=env, check=True, timeout=30)
    time.sleep(0.5)
    assert not any(line.startswith("rbutton") for line in log_lines(player.ziv_log))


def test_recording_tool_starts_once_and_closes_with_the_player(player, stage):
    clip = stage / "clip.wmv"
    clip.write_bytes(b"")
    open_media_file(player, clip)
    assert player.wait_panel("正在播放:clip.wmv")
    player.command(RECORDING_TOOL)
    assert wait_until(lambda: player.query("find", RECORDER).get("count") == 1, timeout=30)
    player.command(RECORDING_TOOL)
    time.sleep(2)
    assert player.query("find", RECORDER)["count"] == 1
    starts = [l for l in log_lines(player.rovask_log, ticks=False) if l.startswith("start pid=")]
    assert len(starts) == 1

    player.query("close", TITLE)
    assert player.process.wait(timeout=30) == 0
    assert wait_until(lambda: not player.query("find", RECORDER).get("found"), timeout=15)
    assert "WM_CLOSE" in log_lines(player.rovask_log, ticks=False)
    assert "Stop" in log_lines(player.ziv_log)
