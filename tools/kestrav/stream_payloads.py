"""Stream content shared by the stream source and the player checker: header
data, synthetic records, key-frame records and MPEG-TS slices.

Both sides derive every byte from the same inputs, so the checker can tell
gaps, duplicates and corruption apart exactly.
"""

import random
import struct
import zlib

PIECE_BYTES = 8084
TS_PACKET = 188
TS_SLICE = 43 * TS_PACKET
KEYFRAME_TYPES = (258, 263, 264)
RAW_HEADER_TYPE = 260
KEYFRAME_STREAMS = (1, 2)
KEY_EVERY = 25
RECORDS_PER_KEYFRAME_PIECE = 4
SYNTHETIC_HEAD = 24
KEYFRAME_HEAD = 12
KEY_FLAG = 2

HTTP_HEAD = b"HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\n\r\n"
RAW_HTTP_HEAD = b"HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\nConnection: close\r\n\r\n"
TAIL = b"TAIL"


def http_end(data):
    """Where the header data's own HTTP header ends, 0 when it has none."""
    if not data.startswith(b"HTTP"):
        return 0
    for i in range(4, len(data)):
        if data[i - 4:i] == b"\r\n\r\n":
            return i
    return 0


def header_prefix(header_type):
    if header_type in KEYFRAME_TYPES:
        return b"".join(struct.pack("<H", s) for s in KEYFRAME_STREAMS)
    return b""


def header_data(header_type, ts_file=None):
    """Header data of the stream; a TS contributes its PAT and PMT as the tail."""
    tail = ts_program_tables(ts_file) if ts_file is not None else TAIL
    head = RAW_HTTP_HEAD if header_type == RAW_HEADER_TYPE else HTTP_HEAD
    return head + tail


def served_header(header_type, ts_file=None):
    """The header bytes a player receives (behind the fixed reply unless raw)."""
    data = header_data(header_type, ts_file)
    if header_type == RAW_HEADER_TYPE:
        return data
    return data[http_end(data):]


def noise(seed, count):
    return random.Random(seed).randbytes(count)


# ---------------------------------------------------------------- synthetic

def synthetic_record(piece, time_stamp, offset, piece_bytes=PIECE_BYTES):
    data = noise(piece, piece_bytes - SYNTHETIC_HEAD)
    return struct.pack("<HHIIIII", len(data), 1, piece, time_stamp & 0xFFFFFFFF,
                       zlib.crc32(data), offset & 0xFFFFFFFF, 0) + data


def split_synthetic(buf):
    """Complete records at the front of buf and the number of bytes they use."""
    records, pos = [], 0
    while len(buf) - pos >= SYNTHETIC_HEAD:
        m, kind, piece, ts, crc, offset, _ = struct.unpack_from("<HHIIIII", buf, pos)
        end = pos + SYNTHETIC_HEAD + m
        if end > len(buf):
            break
        data = bytes(buf[pos + SYNTHETIC_HEAD:end])
        records.append({"piece": piece, "ts": ts, "offset": offset, "size": SYNTHETIC_HEAD + m,
                        "kind": kind, "crc_ok": zlib.crc32(data) == crc})
        pos = end
    return records, pos


# ---------------------------------------------------------------- key frames

def keyframe_record_shape(data_index, index):
    """Stream and flags of one record: streams alternate, every 25th is a key frame."""
    seq = data_index * RECORDS_PER_KEYFRAME_PIECE + index
    stream = KEYFRAME_STREAMS[seq % len(KEYFRAME_STREAMS)]
    per_stream = seq // len(KEYFRAME_STREAMS)
    return stream, (KEY_FLAG if per_stream % KEY_EVERY == 0 else 0)


def keyframe_record_sizes(piece_bytes):
    base = piece_bytes // RECORDS_PER_KEYFRAME_PIECE
    sizes = [base] * RECORDS_PER_KEYFRAME_PIECE
    sizes[-1] += piece_bytes - base * RECORDS_PER_KEYFRAME_PIECE
    return sizes


def keyframe_record(piece, data_index, index, time_stamp, size, hostile=None):
    stream, flags = keyframe_record_shape(data_index, index)
    lead = b"\x80\x00"
    length = size
    if hostile == "marker01" and data_index % 10 == 3 and index == 0:
        lead = b"\x00\x01"
    if hostile == "zero-record" and data_index % 10 == 5 and index == 1:
        length = 0
    body = struct.pack(">II", data_index, time_stamp & 0xFFFFFFFF)
    body += noise(piece * 256 + index, size - KEYFRAME_HEAD - len(body))
    return lead + struct.pack(">HHIBB", length, stream, piece, index, flags) + body


def keyframe_piece(piece, data_index, time_stamp, piece_bytes=PIECE_BYTES, hostile=None):
    return b"".join(keyframe_record(piece, data_index, i, time_stamp, size, hostile)
                    for i, size in enumerate(keyframe_record_sizes(piece_bytes)))


def split_keyframe(buf):
    """Complete records at the front of buf; a length below the record head stops the walk."""
    records, pos, broken = [], 0, False
    while len(buf) - pos >= KEYFRAME_HEAD:
        length, stream, piece, index, flags = struct.unpack_from(">HHIBB", buf, pos + 2)
        if length < KEYFRAME_HEAD + 8:
            broken = True
            break
        if pos + length > len(buf):
            break
        raw = bytes(buf[pos:pos + length])
        data_index, ts = struct.unpack_from(">II", raw, KEYFRAME_HEAD)
        intact = raw == keyframe_record(piece, data_index, index, ts, length,
                                        "marker01" if raw[:2] == b"\x00\x01" else None)
        records.append({"piece": piece, "index": index, "stream": stream, "flags": flags,
                        "ts": ts, "data_index": data_index, "marker": raw[:2] == b"\x00\x01",
                        "crc_ok": intact})
        pos += length
    return records, pos, broken


# ---------------------------------------------------------------- MPEG-TS

def ts_packets(data):
    for off in range(0, len(data) - TS_PACKET + 1, TS_PACKET):
        if data[off] == 0x47:
            yield off, data[off:off + TS_PACKET]


def ts_pid(pkt):
    return ((pkt[1] & 0x1F) << 8) | pkt[2]


def ts_section_start(pkt):
    """Offset of the PSI section in a packet that starts one, else None."""
    if not pkt[1] & 0x40:
        return None
    pos = 4
    if pkt[3] & 0x20:
        pos += 1 + pkt[4]
    if pos >= TS_PACKET:
        return None
    return pos + 1 + pkt[pos]


def ts_program_tables(data):
    """The first PAT packet and the first packet of the PMT it names."""
    pat = pmt = None
    pmt_pid = None
    for _, pkt in ts_packets(data):
        pid = ts_pid(pkt)
        if pat is None and pid == 0:
            start = ts_section_start(pkt)
            if start is None:
                continue
            section_len = ((pkt[start + 1] & 0x0F) << 8) | pkt[start + 2]
            for p in range(start + 8, start + 3 + section_len - 4, 4):
                program, ppid = struct.unpack_from(">HH", pkt, p)
                if program != 0:
                    pmt_pid = ppid & 0x1FFF
                    break
            pat = pkt
        elif pat is not None and pid == pmt_pid and ts_section_start(pkt) is not None:
            pmt = pkt
            break
    if pat is None or pmt is None:
        raise ValueError("no PAT/PMT in the transport stream")
    return pat + pmt


def ts_pcr(pkt):
    if not pkt[3] & 0x20 or pkt[4] < 7 or not pkt[5] & 0x10:
        return None
    b = pkt[6:12]
    base = (b[0] << 25) | (b[1] << 17) | (b[2] << 9) | (b[3] << 1) | (b[4] >> 7)
    return base * 300 + (((b[4] & 1) << 8) | b[5])


def ts_mux_rate(data):
    """Bits per second between the first and the last PCR of one PID."""
    first = last = None
    pcr_pid = None
    for off, pkt in ts_packets(data):
        pcr = ts_pcr(pkt)
        if pcr is None or (pcr_pid is not None and ts_pid(pkt) != pcr_pid):
            continue
        if first is None:
            first, pcr_pid = (off, pcr), ts_pid(pkt)
        else:
            last = (off, pcr)
    if first is None or last is None or last[1] <= first[1]:
        raise ValueError("the transport stream carries no usable PCR")
    return round((last[0] - first[0]) * 8 * 27000000 / (last[1] - first[1]))


def ts_time_stamp(index, mux_rate):
    return index * TS_SLICE * 8000 // mux_rate


def ts_slice(data, index):
    return data[index * TS_SLICE:(index + 1) * TS_SLICE]


def ts_slice_count(data):
    return (len(data) + TS_SLICE - 1) // TS_SLICE
