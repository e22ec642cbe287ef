#!/usr/bin/env python3
"""Which music track a recorded run plays when: music_match.py RAW MUSIC_DIR [STEP_S].

RAW: the sound the game played (44100 Hz, two signed 16-bit little-endian
channels, as SDL's disk audio driver writes it). MUSIC_DIR: the game's music
tracks (trackNN.ogg, decoded with sox). For each stretch of 10 s, every STEP_S
seconds (5), prints the track whose loudness over time matches the
recording's best, the place in the track and how well it matches (Pearson's
r of the two loudness curves, 0.1 s a point); below 0.8 the stretch is told
as "no track" (effects and voices alone, or silence). Music sounds without
a break, so a stretch silent in more than a tenth of its points plays none,
however well its few sounds happen to line up with a track. The music is mixed
with the effects, so a loud effect lowers r without hiding the track; a loud
effect can also line up with a track by chance, so a single stretch is weak
evidence: music shows as stretches in a row whose place in one track
advances with them."""
import array
import glob
import math
import os
import subprocess
import sys

RATE = 44100
POINT = RATE // 10           # 0.1 s a point of a loudness curve
STRETCH = 100                # points compared: 10 s
MATCHED = 0.8
BROKEN = 0.1                 # silent share of a stretch that rules music out
SILENT = 30.0                # RMS below this (of 32768) is silence


PHASES = 4                   # the recording's curve is taken from 4 starts within a point


def loudness(samples, skip=0):
    """RMS of each 0.1 s of interleaved stereo samples, from sample frame SKIP."""
    step = POINT * 2
    out = []
    for start in range(skip * 2, len(samples) - step + 1, step):
        chunk = samples[start:start + step]
        out.append(math.sqrt(sum(s * s for s in chunk) / len(chunk)))
    return out


def read_raw(data):
    samples = array.array("h")
    samples.frombytes(data[:len(data) // 2 * 2])
    if sys.byteorder != "little":
        samples.byteswap()
    return samples


def track_curve(path):
    decoded = subprocess.run(["sox", path, "-t", "raw", "-r", str(RATE), "-e", "signed", "-b", "16",
                              "-c", "2", "-L", "-"], check=True, capture_output=True).stdout
    return loudness(read_raw(decoded))


def best_match(piece, curve):
    """(r, offset) of PIECE's best place in CURVE."""
    n = len(piece)
    if len(curve) < n:
        return (-1.0, 0)
    mean = sum(piece) / n
    centred = [p - mean for p in piece]
    norm = math.sqrt(sum(c * c for c in centred))
    if norm == 0:
        return (-1.0, 0)
    sums = [0.0]
    squares = [0.0]
    for value in curve:
        sums.append(sums[-1] + value)
        squares.append(squares[-1] + value * value)
    best = (-1.0, 0)
    for offset in range(len(curve) - n + 1):
        total = sums[offset + n] - sums[offset]
        spread = squares[offset + n] - squares[offset] - total * total / n
        if spread <= 1e-9:
            continue
        dot = sum(c * v for c, v in zip(centred, curve[offset:offset + n]))
        r = dot / (norm * math.sqrt(spread))
        if r > best[0]:
            best = (r, offset)
    return best


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        samples = read_raw(f.read())
    # A track started between two points of the recording's curve blurs every
    # point; one of the shifted curves lines up with the track's own points.
    shifted = [loudness(samples, POINT * phase // PHASES) for phase in range(PHASES)]
    recording = shifted[0]
    step = max(1, int(float(sys.argv[3]) * 10)) if len(sys.argv) > 3 else 50
    tracks = {}
    for path in sorted(glob.glob(os.path.join(sys.argv[2], "track*.ogg"))):
        tracks[os.path.basename(path)[:-4]] = track_curve(path)
    if not tracks:
        sys.exit("no track*.ogg in " + sys.argv[2])
    for start in range(0, max(1, len(recording) - STRETCH + 1), step):
        piece = recording[start:start + STRETCH]
        when = f"{start / 10:7.1f} s .. {(start + len(piece)) / 10:7.1f} s"
        if max(piece) < SILENT:
            print(f"{when}: silence")
            continue
        gaps = sum(1 for p in piece if p < SILENT) / len(piece)
        if gaps > BROKEN:
            print(f"{when}: no track (silent {gaps:.0%} of the time)")
            continue
        found = max(best_match(curve_from[start:start + STRETCH], curve) + (name,)
                    for name, curve in tracks.items() for curve_from in shifted)
        r, offset, name = found
        if r < MATCHED:
            print(f"{when}: no track (best {name} at {offset / 10:.1f} s, r {r:.2f})")
        else:
            print(f"{when}: {name} from {offset / 10:6.1f} s, r {r:.2f}")


if __name__ == "__main__":
    main()
