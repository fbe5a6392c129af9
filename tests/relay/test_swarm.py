"""Small swarms of engine hosts run by tools/swarm.py (under wine, one prefix per peer): a
channel shared by three peers with a source that serves one transfer, and a peer fed by a
source that sends malformed data."""

import time

import pytest

import swarm

HOSTILE_KINDS = ("short-f", "lying-l", "far-future", "count-ff", "d-huge", "frame-huge")
HOSTILE_SECONDS = 8


def test_three_peers_play_the_channel_through_each_other(tmp_path):
    cfg = swarm.SwarmConfig(peers=3, seconds=60, rate=500000, source_cap=1, payload="ts",
                            workdir=str(tmp_path / "swarm"))
    results = swarm.Swarm(cfg).run()
    peers = results["peers"]
    assert len(peers) == 3
    for peer in peers:
        summary = peer["player"]
        assert summary, peer
        assert summary["reply_ok"] and summary["header_ok"], peer
        assert summary["pieces"] > 0 and summary["dups"] == 0 and summary["crc_bad"] == 0, peer
        # Every piece produced while the peer played reached its player in time.
        assert peer["continuity"] >= 0.99, peer
        assert peer["crash_logs"] == [], peer
        assert peer["exit_code"] == 0, peer
    # One transfer from the source cannot feed three players: the peers relayed to each other.
    received = sum(p["recv"] for p in peers)
    assert results["source_bytes"] < received / 2, (results["source_bytes"], received)


@pytest.mark.parametrize("kind", HOSTILE_KINDS)
def test_a_peer_survives_a_hostile_source(tmp_path, kind):
    cfg = swarm.SwarmConfig(peers=1, seconds=HOSTILE_SECONDS, payload="synthetic", hostile=kind, players=False,
                            workdir=str(tmp_path / "swarm"))
    runner = swarm.Swarm(cfg)
    try:
        runner.start()
        time.sleep(HOSTILE_SECONDS)
        peer = runner.peers[0]
        assert peer.alive(), "".join(peer.host.stderr_lines)[-3000:]
        assert peer.fresh_stats(timeout=10) is not None, "".join(peer.host.stderr_lines)[-3000:]
    finally:
        results = runner.stop()
    (peer,) = results["peers"]
    assert peer["crash_logs"] == [], peer
    assert peer["exit_code"] == 0, peer
    # The malformed data did reach the peer: the source accepted its transfer.
    accepted = [r for r in swarm.read_json_lines(runner.source_log)
                if r.get("event") == "accept" and not r.get("refused")]
    assert accepted, swarm.read_json_lines(runner.source_log)[:20]
