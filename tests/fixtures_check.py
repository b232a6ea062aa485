#!/usr/bin/env python3
"""Checks the test audio made by scripts/fixtures.

Usage: tests/fixtures_check.py <fixtures dir>

For each file it checks what the tests that use it rely on: that the mpg123
decoder and ffprobe read it as the expected MPEG version, layer, sampling
rate and channel count; that the decoded sample count matches the frames in
the file; and the byte-level properties (tags, RIFF wrapper, junk, cut
point, joined rates). Prints one line per check and a summary line.
"""

import os
import re
import struct
import subprocess
import sys

# ---------------------------------------------------------------- MPEG frame headers

BITRATES = {
    (1, 1): [0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448],
    (1, 2): [0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384],
    (1, 3): [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    (2, 1): [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256],
    (2, 2): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
    (2, 3): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
RATES = {1: [44100, 48000, 32000], 2: [22050, 24000, 16000], 2.5: [11025, 12000, 8000]}
VERSIONS = {0: 2.5, 2: 2, 3: 1}
LAYERS = {1: 3, 2: 2, 3: 1}


class Frame:
    def __init__(self, offset, word):
        self.offset = offset
        self.version = VERSIONS[(word >> 19) & 3]
        self.layer = LAYERS[(word >> 17) & 3]
        self.protected = not (word >> 16) & 1
        table = BITRATES[(1 if self.version == 1 else 2, self.layer)]
        self.bitrate = table[(word >> 12) & 15]
        self.rate = RATES[self.version][(word >> 10) & 3]
        padding = (word >> 9) & 1
        self.channels = 1 if (word >> 6) & 3 == 3 else 2
        if self.layer == 1:
            self.size = (12000 * self.bitrate // self.rate + padding) * 4
            self.samples = 384
        elif self.layer == 2 or self.version == 1:
            self.size = 144000 * self.bitrate // self.rate + padding
            self.samples = 1152
        else:
            self.size = 72000 * self.bitrate // self.rate + padding
            self.samples = 576

    def side_info_size(self):
        if self.version == 1:
            return 17 if self.channels == 1 else 32
        return 9 if self.channels == 1 else 17


def header_at(data, pos):
    """The frame starting at pos, or None when the 4 bytes are no valid header."""
    if pos + 4 > len(data):
        return None
    word = struct.unpack(">I", data[pos : pos + 4])[0]
    if word >> 21 != 0x7FF or (word >> 19) & 3 == 1 or (word >> 17) & 3 == 0:
        return None
    if (word >> 12) & 15 in (0, 15) or (word >> 10) & 3 == 3:
        return None
    return Frame(pos, word)


def frames_from(data, start):
    """Walks whole frames from start; returns them and the offset where the walk stopped."""
    frames, pos = [], start
    while True:
        frame = header_at(data, pos)
        if frame is None or pos + frame.size > len(data):
            return frames, pos
        frames.append(frame)
        pos += frame.size


def id3v2_end(data):
    if data[:3] != b"ID3":
        return 0
    size = 0
    for b in data[6:10]:
        size = (size << 7) | (b & 0x7F)
    return 10 + size


def xing_tag(data, frame):
    at = frame.offset + 4 + (2 if frame.protected else 0) + frame.side_info_size()
    return data[at : at + 4], at


# ---------------------------------------------------------------- tools


def mpg123_info(path):
    """(exit code, list of (version, layer, rate, mode), stderr) from mpg123 -v -t."""
    run = subprocess.run(["mpg123", "-v", "-t", path], capture_output=True, text=True, errors="replace")
    formats = re.findall(r"^MPEG (1\.0|2\.0|2\.5) L (I+) \S+ (\d+) (\S+)", run.stderr, re.M)
    parsed = [(float(v) if v == "2.5" else int(float(v)), len(l), int(r), m) for v, l, r, m in formats]
    return run.returncode, parsed, run.stderr


def mpg123_decoded_samples(path, channels):
    """Samples per channel decoded by mpg123 without encoder-delay trimming."""
    run = subprocess.run(["mpg123", "-q", "--no-gapless", "-s", path], capture_output=True)
    return run.returncode, len(run.stdout) // (2 * channels)


def ffprobe_stream(path):
    run = subprocess.run(
        ["ffprobe", "-v", "error", "-show_entries", "stream=codec_name,sample_rate,channels", "-of", "default=nw=1", path],
        capture_output=True,
        text=True,
    )
    return dict(line.split("=", 1) for line in run.stdout.split() if "=" in line)


# ---------------------------------------------------------------- checks


class Checker:
    def __init__(self, folder):
        self.folder = folder
        self.passed = 0
        self.failed = 0
        self.cache = {}

    def check(self, name, what, ok, detail=""):
        if ok:
            self.passed += 1
            print("ok    %-20s %s" % (name, what))
        else:
            self.failed += 1
            print("FAIL  %-20s %s %s" % (name, what, detail))

    def bytes(self, name):
        if name not in self.cache:
            with open(os.path.join(self.folder, name), "rb") as f:
                self.cache[name] = f.read()
        return self.cache[name]

    def decodes_as(self, name, version, layer, rate, channels, audio_start=0, skip_frames=0):
        """mpg123 and ffprobe agree with the expected stream; the decoded
        sample count equals the whole frames from audio_start on."""
        path = os.path.join(self.folder, name)
        code, formats, stderr = mpg123_info(path)
        self.check(name, "mpg123 decodes without error", code == 0 and "error" not in stderr.lower(), stderr[-300:])
        mode_channels = 1 if formats and formats[0][3] == "mono" else 2
        self.check(
            name,
            "mpg123 sees MPEG %s Layer %d %d Hz, %d ch" % (version, layer, rate, channels),
            len(formats) == 1 and formats[0][:3] == (version, layer, rate) and mode_channels == channels,
            str(formats),
        )
        probe = ffprobe_stream(path)
        codec = {1: "mp1", 2: "mp2", 3: "mp3"}[layer]
        self.check(
            name,
            "ffprobe sees %s %d Hz %d ch" % (codec, rate, channels),
            probe.get("codec_name", "").startswith(codec)
            and probe.get("sample_rate") == str(rate)
            and probe.get("channels") == str(channels),
            str(probe),
        )
        frames, _ = frames_from(self.bytes(name), audio_start)
        expected = sum(f.samples for f in frames[skip_frames:])
        code, samples = mpg123_decoded_samples(path, channels)
        self.check(name, "decodes to %d samples" % expected, code == 0 and samples == expected, "got %d" % samples)
        return frames

    def bare_stream(self, name, version, layer, rate, channels, bitrate=None):
        """A file that is nothing but whole frames of one format."""
        data = self.bytes(name)
        frames, end = frames_from(data, 0)
        self.check(name, "frames run from byte 0 to the end", frames and end == len(data), "stopped at %d" % end)
        self.check(
            name,
            "every frame is MPEG %s Layer %d %d Hz" % (version, layer, rate),
            all((f.version, f.layer, f.rate, f.channels) == (version, layer, rate, channels) for f in frames),
        )
        if bitrate is not None:
            self.check(name, "constant %d kbit/s" % bitrate, all(f.bitrate == bitrate for f in frames))
        if layer == 3:
            tag, _ = xing_tag(data, frames[0])
            self.check(name, "no Xing/Info frame", tag not in (b"Xing", b"Info"))
        self.check(name, "no ID3v1 tag", data[-128:-125] != b"TAG")
        self.decodes_as(name, version, layer, rate, channels)

    def mpeg_files(self):
        self.bare_stream("cbr128.mp3", 1, 3, 44100, 2, 128)
        self.bare_stream("mono.mp3", 1, 3, 44100, 1, 64)
        self.bare_stream("mpeg1-48000.mp3", 1, 3, 48000, 2, 128)
        self.bare_stream("mpeg1-32000.mp3", 1, 3, 32000, 2, 96)
        for rate in (22050, 24000, 16000):
            self.bare_stream("mpeg2-%d.mp3" % rate, 2, 3, rate, 2, 64)
        for rate in (11025, 12000, 8000):
            self.bare_stream("mpeg25-%d.mp3" % rate, 2.5, 3, rate, 2, 32)
        self.bare_stream("layer2.mp2", 1, 2, 44100, 2, 192)
        duration = len(frames_from(self.bytes("cbr128.mp3"), 0)[0]) * 1152 / 44100
        self.check("cbr128.mp3", "lasts 2 to 4 s", 2 <= duration <= 4, "%.2f s" % duration)

    def lame_tag_files(self):
        name = "cbr128-info.mp3"
        data = self.bytes(name)
        frames = self.decodes_as(name, 1, 3, 44100, 2, skip_frames=1)
        tag, _ = xing_tag(data, frames[0])
        self.check(name, "first frame carries 'Info'", tag == b"Info", repr(tag))

        name = "vbr-xing.mp3"
        data = self.bytes(name)
        frames = self.decodes_as(name, 1, 3, 44100, 2, skip_frames=1)
        tag, at = xing_tag(data, frames[0])
        self.check(name, "'Xing' at byte 36 of the first frame", tag == b"Xing" and at == 36, "at %d: %r" % (at, tag))
        flags, count, size = struct.unpack(">III", data[at + 4 : at + 16])
        self.check(name, "Xing has frames, bytes and TOC", flags & 7 == 7, "flags %#x" % flags)
        self.check(name, "Xing frame count matches the file", count in (len(frames), len(frames) - 1), str(count))
        self.check(name, "Xing byte count is the file size", size == len(data), "%d vs %d" % (size, len(data)))
        rates = {f.bitrate for f in frames[1:]}
        self.check(name, "bitrate varies between frames", len(rates) >= 3, str(sorted(rates)))

    def tag_files(self):
        cbr = frames_from(self.bytes("cbr128.mp3"), 0)[0]
        for name, v2, v1 in (("id3v2.mp3", True, False), ("id3v1.mp3", False, True), ("id3v1v2.mp3", True, True)):
            data = self.bytes(name)
            start = id3v2_end(data)
            self.check(name, "ID3v2 tag in front" if v2 else "no ID3v2 tag", (start > 0) == v2)
            if v2:
                tag = data[:start]
                self.check(name, "ID3v2 holds title and artist", b"Fixture Title" in tag and b"Fixture Artist" in tag)
                self.check(name, "a frame follows the ID3v2 tag", header_at(data, start) is not None)
            self.check(name, "ID3v1 tag at the end" if v1 else "no ID3v1 tag", (data[-128:-125] == b"TAG") == v1)
            if v1:
                t = data[-128:]
                fields = (t[3:33], t[33:63], t[63:93], t[93:97], t[97:125])
                want = (b"Fixture Title", b"Fixture Artist", b"Fixture Album", b"1999", b"Fixture Comment")
                self.check(
                    name,
                    "ID3v1 fields and genre 17",
                    all(f.rstrip(b"\0 ") == w for f, w in zip(fields, want)) and t[127] == 17,
                    repr(t),
                )
            frames = self.decodes_as(name, 1, 3, 44100, 2, audio_start=start)
            self.check(name, "same frame count as cbr128.mp3", len(frames) == len(cbr))

    def riff_files(self):
        cbr = self.bytes("cbr128.mp3")
        for name, data_at in (("riff-mp3.wav", 70), ("riff-mp3-nofact.wav", 58)):
            data = self.bytes(name)
            riff, size, wave = struct.unpack("<4sI4s", data[:12])
            self.check(name, "RIFF WAVE header with the right size", (riff, wave, size) == (b"RIFF", b"WAVE", len(data) - 8))
            fmt_id, fmt_size, tag, channels, rate = struct.unpack("<4sIHHI", data[12:28])
            self.check(
                name,
                "30-byte fmt chunk, tag 0x0055, 2 ch, 44100 Hz",
                (fmt_id, fmt_size, tag, channels, rate) == (b"fmt ", 30, 0x55, 2, 44100),
            )
            self.check(name, "fact chunk present" if data_at == 70 else "no fact chunk", (data[50:54] == b"fact") == (data_at == 70))
            chunk, length = struct.unpack("<4sI", data[data_at - 8 : data_at])
            self.check(name, "data chunk at byte %d holds cbr128.mp3" % (data_at - 8), chunk == b"data" and data[data_at : data_at + length] == cbr)
            self.decodes_as(name, 1, 3, 44100, 2, audio_start=data_at)

    def damaged_files(self):
        cbr = self.bytes("cbr128.mp3")
        starts = [f.offset for f in frames_from(cbr, 0)[0]]

        name = "junk-front.mp3"
        data = self.bytes(name)
        junk = data[:1000]
        self.check(name, "1000 bytes without 0xFF, then cbr128.mp3", b"\xff" not in junk and data[1000:] == cbr)
        self.check(name, "junk starts neither RIFF nor ID3", junk[:4] != b"RIFF" and junk[:3] != b"ID3")
        self.decodes_as(name, 1, 3, 44100, 2, audio_start=1000)

        name = "ff-front.mp3"
        data = self.bytes(name)
        self.check(name, "500 bytes 0xFF, then cbr128.mp3", data[:500] == b"\xff" * 500 and data[500:] == cbr)
        self.decodes_as(name, 1, 3, 44100, 2, audio_start=500)

        name = "truncated.mp3"
        data = self.bytes(name)
        cut = len(data)
        self.check(name, "is the start of cbr128.mp3", cbr.startswith(data))
        self.check(name, "cut inside a frame, not at a frame start", 0 < cut < len(cbr) and cut not in starts, str(cut))
        self.check(name, "cut near the middle", len(cbr) // 3 < cut < 2 * len(cbr) // 3, str(cut))
        frames = self.decodes_as(name, 1, 3, 44100, 2)
        self.check(name, "whole frames stop before the cut", frames[-1].offset + frames[-1].size < cut)

    def joined_file(self):
        name = "rate-change.mp3"
        data = self.bytes(name)
        first, second = self.bytes("cbr128.mp3"), self.bytes("mpeg1-48000.mp3")
        self.check(name, "cbr128.mp3 followed by mpeg1-48000.mp3", data == first + second)
        frames, end = frames_from(data, 0)
        runs = []
        for f in frames:
            if not runs or runs[-1][0] != f.rate:
                runs.append([f.rate, 0])
            runs[-1][1] += 1
        self.check(name, "frames to the end", end == len(data))
        self.check(name, "one change, 44100 Hz to 48000 Hz, half-way", [r for r, _ in runs] == [44100, 48000] and runs[0][1] > 20 and runs[1][1] > 20, str(runs))
        code, formats, stderr = mpg123_info(os.path.join(self.folder, name))
        self.check(name, "mpg123 reports both rates", [f[2] for f in formats] == [44100, 48000] and code == 0, str(formats))
        code, samples = mpg123_decoded_samples(os.path.join(self.folder, name), 2)
        self.check(name, "decodes every frame", code == 0 and samples == 1152 * len(frames), "%d vs %d" % (samples, 1152 * len(frames)))

    def other_files(self):
        name = "pcm.wav"
        data = self.bytes(name)
        self.check(name, "RIFF WAVE with PCM format tag 1", data[:4] == b"RIFF" and data[8:12] == b"WAVE" and data[20:22] == b"\x01\x00")
        probe = ffprobe_stream(os.path.join(self.folder, name))
        self.check(name, "ffprobe sees 16-bit PCM", probe.get("codec_name") == "pcm_s16le", str(probe))
        code, formats, _ = mpg123_info(os.path.join(self.folder, name))
        self.check(name, "mpg123 finds no MPEG audio", formats == [], str(formats))

        name = "empty.mp3"
        self.check(name, "zero bytes", os.path.getsize(os.path.join(self.folder, name)) == 0)

    def manifest(self):
        path = os.path.join(self.folder, "MANIFEST.txt")
        rows = {}
        with open(path) as f:
            for line in f:
                if line.strip() and not line.startswith("#"):
                    cols = line.rstrip("\n").split("\t")
                    rows[cols[0]] = cols
        present = {n for n in os.listdir(self.folder) if not n.startswith(".") and n != "MANIFEST.txt"}
        self.check("MANIFEST.txt", "lists exactly the files present", set(rows) == present, str(set(rows) ^ present))
        self.check("MANIFEST.txt", "six columns per row", all(len(c) == 6 for c in rows.values()))
        for name, cols in rows.items():
            if cols[1] in ("1", "2", "2.5") and "+" not in cols[3] and os.path.exists(os.path.join(self.folder, name)):
                data = self.bytes(name)
                start = {"riff-mp3.wav": 70, "riff-mp3-nofact.wav": 58, "junk-front.mp3": 1000, "ff-front.mp3": 500}.get(name, id3v2_end(data))
                first = header_at(data, start)
                described = (cols[1], cols[2], cols[3], cols[4])
                actual = first and (str(first.version), str(first.layer), str(first.rate), str(first.channels))
                self.check(name, "MANIFEST row matches the first frame", described == actual, "%s vs %s" % (described, actual))


def main():
    if len(sys.argv) != 2:
        print("usage: %s <fixtures dir>" % sys.argv[0], file=sys.stderr)
        return 2
    checker = Checker(sys.argv[1])
    for group in (
        checker.mpeg_files,
        checker.lame_tag_files,
        checker.tag_files,
        checker.riff_files,
        checker.damaged_files,
        checker.joined_file,
        checker.other_files,
        checker.manifest,
    ):
        try:
            group()
        except (OSError, IndexError, KeyError, struct.error) as error:
            checker.check(group.__name__, "could run", False, repr(error))
    print("%d passed, %d failed" % (checker.passed, checker.failed))
    return 1 if checker.failed else 0


if __name__ == "__main__":
    sys.exit(main())
