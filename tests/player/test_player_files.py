"""Whole-program checks of the player's files and threads under wine: the channel tree filled
from the channel database, playing a channel, the favourites list, the update thread against
update servers on loopback (also what closing leaves behind) and the connection-settings dialog.

Each test works on its own copy of the built player folder and writes the data files it needs
into its "vororur" sub-folder. The player is looked at from outside through uiquery.exe.
"""

import json
import os
import re
import socket
import subprocess
import sys
import time
from pathlib import Path
from xml.etree import ElementTree

import pytest

from conftest import wine_usable

if not wine_usable():
    pytest.skip("wine cannot run 32-bit programs on this machine", allow_module_level=True)

from test_player_shell import TITLE, WINE_DIR, Player, stage, uiquery, wait_until  # noqa: E402,F401

SOURCE = Path(os.environ.get("KESTRAV_SOURCE_DIR", Path(__file__).resolve().parents[2]))
SETTINGS = (2, 0)
CHANNELS, FAVOURITES = 0, 1  # the pages of the main window's page control that hold the two trees
UPDATED = "节目列表已更新"


def database(*channels, comment=False):
    """GBK bytes of a channel database of (group, name, link) rows."""
    rows = "".join("<channel><Catalog>%s</Catalog><ChannelName>%s</ChannelName><x><PlayLink>%s</PlayLink></x></channel>\r\n"
                   % row for row in channels)
    if comment:
        rows = "<!-- rows follow -->\r\n" + rows
    return ('<?xml version="1.0" encoding="GB2312"?>\r\n<root>\r\n%s</root>\r\n' % rows).encode("gbk")


def favourites(*entries):
    body = "".join('<pd id="%s">%s</pd>' % entry for entry in entries)
    return ('<?xml version="1.0" encoding="GB2312"?><scj>%s</scj>' % body).encode("gbk")


def favourite_entries(path):
    """(name, address) of each entry of a favourites file, in file order. The file is compared by
    content: how its writer spells the characters (GBK bytes or character references) is its own."""
    text = re.sub(r"^<\?xml[^>]*\?>", "", path.read_bytes().decode("gbk")).strip()
    return [(entry.get("id"), entry.text or "") for entry in ElementTree.fromstring(text).iter("pd")]


def ini(sections):
    text = ""
    for name, values in sections:
        text += "[%s]\r\n" % name + "".join("%s=%s\r\n" % kv for kv in values)
    return text.encode("gbk")


def read_ini_bytes(data):
    """The sections of GBK ini bytes in file order: {section: [(key, value), ...]}."""
    sections, current = {}, None
    for line in data.decode("gbk").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], [])
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current.append((key.strip(), value.strip()))
    return sections


def read_ini(path):
    return read_ini_bytes(path.read_bytes())


def tree(player, index):
    return [(n["text"], n["depth"], n["expanded"]) for n in player.query("tree", TITLE, index).get("nodes", [])]


def played_urls(player):
    if not player.ziv_log.exists():
        return []
    lines = player.ziv_log.read_text(encoding="utf-8", errors="replace").splitlines()
    return [line.split("put URL=", 1)[1] for line in lines if "put URL=" in line]


def refused_port():
    """A loopback port with nothing listening: connections to it are refused at once."""
    sock = socket.socket()
    sock.bind(("127.0.0.1", 0))
    port = sock.getsockname()[1]
    sock.close()
    return port


class UpdateServer:
    def __init__(self, root, rules=""):
        rules_path = root.parent / ("rules-%s.txt" % root.name)
        rules_path.write_text(rules, encoding="utf-8")
        self.log = root.parent / ("updsrv-%s.log" % root.name)
        self.process = subprocess.Popen([sys.executable, str(SOURCE / "tools" / "updsrv.py"), "--root", str(root),
                                         "--rules", str(rules_path), "--log", str(self.log)],
                                        stdout=subprocess.PIPE, text=True)
        self.port = json.loads(self.process.stdout.readline())["port"]

    def url(self, path):
        return "http://127.0.0.1:%d/%s" % (self.port, path)

    def requests(self):
        if not self.log.exists():
            return []
        return [json.loads(line)["path"] for line in self.log.read_text().splitlines() if line.strip()]

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.process.stdout.close()


@pytest.fixture
def updsrv(tmp_path):
    started = []

    def start(name, files, rules=""):
        root = tmp_path / name
        root.mkdir()
        for file_name, data in files.items():
            (root / file_name).write_bytes(data)
        server = UpdateServer(root, rules)
        started.append(server)
        return server

    yield start
    for server in started:
        server.stop()


@pytest.fixture
def run_player(tmp_path):
    started = []

    def start(folder):
        env_backup = {k: os.environ.pop(k) for k in ("http_proxy", "HTTP_PROXY") if k in os.environ}
        try:
            player = Player(folder, tmp_path).start()
        finally:
            os.environ.update(env_backup)
        started.append(player)
        return player

    yield start
    for player in started:
        player.stop()


def settings_without_servers():
    return ini([("升级信息", [("数据库版本", "2008-1-1")])])


def test_tree_groups_channels_in_file_order_fully_collapsed(stage, run_player):
    (stage / "vororur" / "bfsjk.xml").write_bytes(database(
        ("A", "a1", "http://h/1"), ("B", "b1", "http://h/2"), ("A", "a2", "http://h/3"), comment=True))
    (stage / "vororur" / "zhuce.ini").write_bytes(settings_without_servers())
    player = run_player(stage)
    assert wait_until(lambda: tree(player, CHANNELS))
    assert tree(player, CHANNELS) == [("A", 0, False), ("a1", 1, False), ("a2", 1, False), ("B", 0, False),
                                      ("b1", 1, False)]


def test_double_click_plays_a_channel_and_the_popup_is_for_channels_only(stage, run_player):
    (stage / "vororur" / "bfsjk.xml").write_bytes(database(
        ("新闻", "新闻一台", "http://h/first"), ("新闻", "A&quot;B", "http://h/quoted"),
        ("体育", "新闻一台", "http://h/second")))
    (stage / "vororur" / "zhuce.ini").write_bytes(settings_without_servers())
    player = run_player(stage)
    assert wait_until(lambda: tree(player, CHANNELS))
    player.query("treeclick", TITLE, CHANNELS, 0, "click")  # auto expand: a selected group opens
    assert wait_until(lambda: tree(player, CHANNELS)[0] == ("新闻", 0, True))
    player.query("treeclick", TITLE, CHANNELS, 0, "dbl")  # a group plays nothing
    # Two channels of that name: the first one's address plays, and it is the only one played.
    first = [i for i, n in enumerate(tree(player, CHANNELS)) if n[0] == "新闻一台"][0]
    player.query("treeclick", TITLE, CHANNELS, first, "dbl")
    assert wait_until(lambda: played_urls(player) == ["http://h/first"]), played_urls(player)
    quoted = [i for i, n in enumerate(tree(player, CHANNELS)) if n[0] == 'A"B'][0]
    player.query("treeclick", TITLE, CHANNELS, quoted, "dbl")
    assert wait_until(lambda: played_urls(player)[-1:] == ["http://h/quoted"]), played_urls(player)

    player.query("treeclick", TITLE, CHANNELS, 0, "right")
    assert not player.query("popup").get("open")
    player.query("treeclick", TITLE, CHANNELS, quoted, "right")
    assert wait_until(lambda: player.query("popup").get("open"))
    player.query("choose", 0)  # "播放"
    assert wait_until(lambda: len(played_urls(player)) == 3)


def test_favourites_load_add_move_remove_and_play(stage, run_player):
    vororur = stage / "vororur"
    vororur.joinpath("bfsjk.xml").write_bytes(database(("新闻", "新闻一台", "http://h/news"),
                                                       ("新闻", "无地址", "")))
    vororur.joinpath("zhuce.ini").write_bytes(settings_without_servers())
    vororur.joinpath("scjwj.xml").write_bytes(favourites(("新闻一台", "http://h/old"), ("甲", "http://h/a"),
                                                         ("甲", "http://h/a2"), ("无地址", "http://h/keep")))
    player = run_player(stage)
    assert wait_until(lambda: tree(player, FAVOURITES))
    assert [n[0] for n in tree(player, FAVOURITES)] == ["新闻一台", "甲", "甲", "无地址"]

    player.query("tabclick", TITLE, FAVOURITES)
    assert wait_until(lambda: player.query("tree", TITLE, FAVOURITES).get("visible"))
    player.query("treeclick", TITLE, FAVOURITES, 1, "dbl")  # two equal names: the first plays
    assert wait_until(lambda: played_urls(player) == ["http://h/a"]), played_urls(player)

    def add(name):
        player.query("tabclick", TITLE, CHANNELS)
        assert wait_until(lambda: player.query("tree", TITLE, CHANNELS).get("visible"))
        index = [i for i, n in enumerate(tree(player, CHANNELS)) if n[0] == name][0]
        player.query("treeclick", TITLE, CHANNELS, index, "right")
        assert wait_until(lambda: player.query("popup").get("open"))
        player.query("choose", 2)  # "添加到收藏夹"

    saved = vororur / "scjwj.xml"
    add("新闻一台")  # already there: its entry moves to the end of the file with the current address
    assert wait_until(lambda: favourite_entries(saved)[-1:] == [("新闻一台", "http://h/news")]), favourite_entries(saved)
    assert saved.read_bytes().startswith('<?xml version="1.0" encoding="GB2312"?>'.encode("gbk"))
    assert favourite_entries(saved) == [("甲", "http://h/a"), ("甲", "http://h/a2"), ("无地址", "http://h/keep"),
                                        ("新闻一台", "http://h/news")]
    assert [n[0] for n in tree(player, FAVOURITES)] == ["新闻一台", "甲", "甲", "无地址"]

    before = saved.read_bytes()
    add("无地址")  # no stream address: the old favourite of that name stays
    assert saved.read_bytes() == before

    player.query("tabclick", TITLE, FAVOURITES)
    assert wait_until(lambda: player.query("tree", TITLE, FAVOURITES).get("visible"))
    player.query("treeclick", TITLE, FAVOURITES, 1, "right")
    assert wait_until(lambda: player.query("popup").get("open"))
    player.query("choose", 2)  # "删除": the first 甲 goes
    assert wait_until(lambda: [n[0] for n in tree(player, FAVOURITES)] == ["新闻一台", "甲", "无地址"])
    assert favourite_entries(saved) == [("甲", "http://h/a2"), ("无地址", "http://h/keep"), ("新闻一台", "http://h/news")]


def description(version, date, servers, data_url):
    return ini([("升级信息", [("数据库版本", version)]), ("更新服务器日期", [("日期", date)]),
                ("服务器", servers), ("升级内容", [("数据", data_url)])])


def test_update_takes_the_second_server_and_replaces_the_database(stage, run_player, updsrv):
    new_database = database(("新组", "新频道", "http://h/new"))
    broken = updsrv("broken", {}, "/up.ini html\n")  # an error page with status 200
    server = updsrv("good", {"bfsjk.xml": new_database})
    (Path(stage) / "vororur" / "zhuce.ini").write_bytes(ini([
        ("服务器", [("a", "http://127.0.0.1:%d/up.ini" % refused_port()), ("b", broken.url("up.ini")),
                  ("c", server.url("up.ini"))]),
        ("更新服务器日期", [("日期", "2008-1-1")]), ("升级信息", [("数据库版本", "2008-1-1")])]))
    good_root = Path(server.log).parent / "good"
    good_root.joinpath("up.ini").write_bytes(description(
        "2008-1-2", "2008-1-2", [("x", "http://127.0.0.1:1/up.ini"), ("y", "http://127.0.0.1:2/up.ini")],
        server.url("bfsjk.xml")))
    (stage / "vororur" / "bfsjk.xml").write_bytes(database(("旧组", "旧频道", "http://h/old")))
    player = run_player(stage)
    assert player.wait_panel(UPDATED, timeout=60), player.panel(0)
    assert wait_until(lambda: [n[0] for n in tree(player, CHANNELS)] == ["新组", "新频道"])
    assert player.query("tree", TITLE, CHANNELS)["visible"]
    settings = read_ini(stage / "vororur" / "zhuce.ini")
    assert settings["服务器"] == [("x", "http://127.0.0.1:1/up.ini"), ("y", "http://127.0.0.1:2/up.ini")]
    assert settings["更新服务器日期"] == [("日期", "2008-1-2")]
    assert settings["升级信息"] == [("数据库版本", "2008-1-2")]
    assert (stage / "vororur" / "bfsjk.xml").read_bytes() == new_database
    assert not (stage / "vororur" / "up.ini").exists() and not (stage / "vororur" / "linshi.xml").exists()
    assert broken.requests() == ["/up.ini"]


@pytest.mark.parametrize("rule", ["/bfsjk.xml truncate=40\n", "/bfsjk.xml html\n", "/bfsjk.xml 404\n"])
def test_a_bad_database_download_changes_nothing(stage, run_player, updsrv, rule):
    server = updsrv("srv", {"bfsjk.xml": database(("新组", "新频道", "http://h/new"))}, rule)
    root = Path(server.log).parent / "srv"
    local = ini([("服务器", [("1", server.url("up.ini"))]), ("更新服务器日期", [("日期", "2008-1-9")]),
                 ("升级信息", [("数据库版本", "2008-1-9")])])
    # Remote date 2008-1-10 is older than 2008-1-9 byte for byte, and its server list is empty.
    root.joinpath("up.ini").write_bytes(description("2008-2-1", "2008-1-10", [], server.url("bfsjk.xml")))
    vororur = stage / "vororur"
    vororur.joinpath("zhuce.ini").write_bytes(local)
    old = database(("旧组", "旧频道", "http://h/old"))
    vororur.joinpath("bfsjk.xml").write_bytes(old)
    player = run_player(stage)
    assert wait_until(lambda: "/bfsjk.xml" in server.requests(), timeout=60)
    assert wait_until(lambda: not vororur.joinpath("up.ini").exists())
    assert not wait_until(lambda: player.panel(0) == UPDATED, timeout=3)
    assert vororur.joinpath("bfsjk.xml").read_bytes() == old
    assert read_ini(vororur / "zhuce.ini") == read_ini_bytes(local)
    assert not vororur.joinpath("linshi.xml").exists()
    assert [n[0] for n in tree(player, CHANNELS)] == ["旧组", "旧频道"]


def download_cache_files():
    """The files in the download caches of the prefix's user profiles."""
    users = Path(os.environ.get("WINEPREFIX", WINE_DIR / "run")) / "drive_c" / "users"
    return {p for p in users.rglob("*") if p.is_file() and p.name != "index.dat"
            and ("INetCache" in p.parts or "Temporary Internet Files" in p.parts)}


def test_a_cut_description_changes_nothing_and_an_oversized_database_is_abandoned(stage, run_player, updsrv):
    servers = [("a", "http://127.0.0.1:1/up.ini"), ("b", "http://127.0.0.1:2/up.ini")]
    cut = description("2008-2-1", "2009-1-1", servers, "http://127.0.0.1:1/bfsjk.xml")
    # A 200 reply that ends inside the server list, at "b=htt".
    first = updsrv("cut", {"up.ini": cut}, "/up.ini truncate=%d\n" % (cut.index(b"b=http") + 5))
    oversized = 100 * 1024 * 1024
    second = updsrv("good", {}, "/bfsjk.xml size=%d\n" % oversized)
    Path(second.log).parent.joinpath("good", "up.ini").write_bytes(description(
        "2008-2-1", "2009-1-1", [("x", "http://127.0.0.1:3/up.ini")], second.url("bfsjk.xml")))
    vororur = stage / "vororur"
    vororur.joinpath("zhuce.ini").write_bytes(ini([
        ("服务器", [("1", first.url("up.ini")), ("2", second.url("up.ini"))]),
        ("更新服务器日期", [("日期", "2008-1-9")]), ("升级信息", [("数据库版本", "2008-1-9")])]))
    old = database(("旧组", "旧频道", "http://h/old"))
    vororur.joinpath("bfsjk.xml").write_bytes(old)
    cached_before = download_cache_files()
    run_player(stage)
    assert wait_until(lambda: "/bfsjk.xml" in second.requests(), timeout=90), second.requests()
    assert wait_until(lambda: not vororur.joinpath("up.ini").exists())
    # The cut description changed nothing and the next server was asked; its list was taken.
    settings = read_ini(vororur / "zhuce.ini")
    assert settings["服务器"] == [("x", "http://127.0.0.1:3/up.ini")]
    assert settings["更新服务器日期"] == [("日期", "2009-1-1")]
    # The database announced far beyond any real one was abandoned before its body came.
    sent = [json.loads(line)["bytes"] for line in Path(second.log).read_text().splitlines()
            if json.loads(line)["path"] == "/bfsjk.xml"]
    assert sent and sent[0] < oversized
    assert settings["升级信息"] == [("数据库版本", "2008-1-9")]
    assert vororur.joinpath("bfsjk.xml").read_bytes() == old
    assert not vororur.joinpath("linshi.xml").exists()
    assert first.requests() == ["/up.ini"]
    assert download_cache_files() - cached_before == set()


def test_closing_during_a_download_leaves_no_file_behind(stage, run_player, updsrv):
    # The database's reply sends its first bytes and then nothing more.
    server = updsrv("slow", {"bfsjk.xml": database(("新组", "新频道", "http://h/new"))}, "/bfsjk.xml stall=100\n")
    Path(server.log).parent.joinpath("slow", "up.ini").write_bytes(
        description("2008-2-1", "2008-1-1", [], server.url("bfsjk.xml")))
    vororur = stage / "vororur"
    local = ini([("服务器", [("1", server.url("up.ini"))]), ("更新服务器日期", [("日期", "2008-1-9")]),
                 ("升级信息", [("数据库版本", "2008-1-9")])])
    vororur.joinpath("zhuce.ini").write_bytes(local)
    files_before = {p.name: p.read_bytes() for p in vororur.iterdir()}
    player = run_player(stage)
    assert wait_until(lambda: "/bfsjk.xml" in server.requests(), timeout=60)
    time.sleep(1)  # the first bytes reach the download's file
    player.query("close", TITLE)
    assert player.process.wait(timeout=30) == 0
    # The download's file is deleted while its writer still holds it open; it goes with the
    # writer's last handle, which wine's server may close a moment after the process is gone.
    assert wait_until(lambda: folder_bytes(vororur) == files_before, timeout=10), folder_bytes(vororur)


def folder_bytes(folder):
    """Each file's bytes by name; a file that goes while being read is left out."""
    files = {}
    for p in folder.iterdir():
        try:
            files[p.name] = p.read_bytes()
        except FileNotFoundError:
            pass
    return files


def test_settings_dialog_shows_bounds_and_saves_every_key(stage, run_player):
    (stage / "vororur" / "zhuce.ini").write_bytes(ini([("udp", [("udp", "20")]), ("tcp", [("tcp", "70000")])]))
    player = run_player(stage)
    player.command(SETTINGS)
    assert wait_until(lambda: uiquery("find", "连接设置", env=player.env).get("found"))
    assert uiquery("press", "连接设置", "确定", env=player.env).get("clicked")
    assert wait_until(lambda: not uiquery("find", "连接设置", env=player.env).get("found"))
    settings = read_ini(stage / "vororur" / "zhuce.ini")
    assert {name: values[0][1] for name, values in settings.items()} == {
        "udp": "50", "tcp": "65535", "pdlj": "1", "wllj": "1", "wllx": "3", "upnp": "2", "pjlj": "2"}
