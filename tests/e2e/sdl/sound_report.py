#!/usr/bin/env python3
"""Levels of a sound the game played: sound_report.py RAW [MOMENTS].

RAW: 44100 Hz, two interleaved signed 16-bit little-endian channels, as SDL's
disk audio driver writes them. MOMENTS: lines "SECONDS NAME" (seconds from the
start of RAW), e.g. when each capture was written. Prints the whole sound's
peak and RMS level, the stretches of sound between silences, and the level
between one moment and the next."""
import array
import math
import sys

RATE = 44100
WINDOW = RATE // 20          # 50 ms
SILENT_DB = -60.0            # a window quieter than this is silence
BRIDGED_S = 0.3              # shorter silences do not split a stretch


def db(value):
    return 20 * math.log10(value / 32768) if value > 0 else -math.inf


def windows(samples):
    """(peak, rms) of each 50 ms window, both channels together."""
    step = WINDOW * 2
    out = []
    for start in range(0, len(samples) - step + 1, step):
        chunk = samples[start:start + step]
        peak = max(max(chunk), -min(chunk))
        rms = math.sqrt(sum(s * s for s in chunk) / len(chunk))
        out.append((peak, rms))
    return out


def stretches(levels):
    """[first, last) window indexes of the stretches of sound."""
    found = []
    bridge = int(BRIDGED_S * 20)
    start = None
    quiet = 0
    for i, (_, rms) in enumerate(levels):
        if db(rms) > SILENT_DB:
            if start is None:
                start = i
            quiet = 0
        elif start is not None:
            quiet += 1
            if quiet > bridge:
                found.append((start, i - quiet + 1))
                start, quiet = None, 0
    if start is not None:
        found.append((start, len(levels) - quiet))
    return found


def level(levels, first, last):
    part = levels[first:last]
    if not part:
        return "-", "-"
    peak = max(p for p, _ in part)
    rms = math.sqrt(sum(r * r for _, r in part) / len(part))
    return f"{db(peak):6.1f}", f"{db(rms):6.1f}"


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    samples = array.array("h")
    with open(argv[1], "rb") as f:
        data = f.read()
    samples.frombytes(data[: len(data) // 4 * 4])
    if sys.byteorder != "little":
        samples.byteswap()
    levels = windows(samples)
    seconds = len(samples) / 2 / RATE
    peak, rms = level(levels, 0, len(levels))
    print(f"sound: {seconds:.1f} s, peak {peak} dBFS, RMS {rms} dBFS")
    found = stretches(levels)
    loud = sum(b - a for a, b in found) / 20
    print(f"{len(found)} stretches of sound (silence: under {SILENT_DB:.0f} dBFS for over {BRIDGED_S} s), "
          f"{loud:.1f} s in all ({100 * loud / max(seconds, 1e-9):.0f} %)")
    for a, b in found:
        p, r = level(levels, a, b)
        print(f"  {a / 20:7.2f} s .. {b / 20:7.2f} s ({(b - a) / 20:6.2f} s): peak {p}, RMS {r} dBFS")
    if len(argv) > 2:
        moments = []
        with open(argv[2]) as f:
            for line in f:
                parts = line.split(maxsplit=1)
                if len(parts) == 2:
                    moments.append((float(parts[0]), parts[1].strip()))
        moments.sort()
        print("level up to each moment (from the one before):")
        before = 0.0
        for when, name in moments:
            p, r = level(levels, int(before * 20), int(when * 20))
            print(f"  {before:7.1f} s .. {when:7.1f} s {name}: peak {p}, RMS {r} dBFS")
            before = when
        p, r = level(levels, int(before * 20), len(levels))
        print(f"  {before:7.1f} s .. {seconds:7.1f} s (the end): peak {p}, RMS {r} dBFS")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
