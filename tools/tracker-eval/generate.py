#!/usr/bin/env python3
"""Renders the tracker evaluation set: melodies on General MIDI instruments through fluidsynth, with exact
ground truth (note times, MIDI pitch and pitch-bend vibrato) beside each file.

Usage: generate.py OUTPUT_DIR [--rate 48000] [--soundfont /usr/share/sounds/sf2/FluidR3_GM.sf2]

For every instrument two phrases are written: a legato one (each note starts as the previous one ends, some
notes with vibrato) and a detached one (notes separated by rests), each rendered dry and with the synth's
reverb. Noise is added by the scorer. Only the Python standard library is used.
"""
import argparse
import math
import os
import random
import struct
import subprocess
import sys

# name, group, GM program (0-based), lowest and highest MIDI note of its melodies
INSTRUMENTS = [
    ("choir-aahs", "voice-like", 52, 48, 72),
    ("voice-oohs", "voice-like", 53, 50, 74),
    ("alto-sax", "voice-like", 65, 49, 77),
    ("tenor-sax", "voice-like", 66, 44, 72),
    ("flute", "voice-like", 73, 60, 93),
    ("violin", "voice-like", 40, 55, 91),
    ("cello", "voice-like", 42, 36, 69),
    ("trumpet", "voice-like", 56, 54, 82),
    ("acoustic-bass", "bass", 32, 28, 55),
    ("finger-bass", "bass", 33, 28, 55),
    ("pick-bass", "bass", 34, 28, 55),
    ("distortion-guitar", "distorted guitar", 30, 40, 72),
    ("bassoon", "bassoon", 70, 34, 65),
]

TICKS_PER_QUARTER = 480
MICROSECONDS_PER_QUARTER = 500000  # 120 bpm: one tick = 1/960 s
BEND_RANGE_CENTS = 200.0  # the synth's default pitch-bend range


def seconds_to_ticks(seconds):
    return int(round(seconds * 1e6 / MICROSECONDS_PER_QUARTER * TICKS_PER_QUARTER))


def ticks_to_seconds(ticks):
    return ticks * MICROSECONDS_PER_QUARTER / 1e6 / TICKS_PER_QUARTER


def variable_length(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def write_midi(path, events):
    """events: (tick, bytes) pairs, written as one track of a format-0 file."""
    track = bytearray()
    track += variable_length(0) + b"\xff\x51\x03" + MICROSECONDS_PER_QUARTER.to_bytes(3, "big")
    last = 0
    for tick, message in sorted(events, key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80)):
        track += variable_length(tick - last) + message
        last = tick
    track += variable_length(0) + b"\xff\x2f\x00"
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS_PER_QUARTER))
        f.write(b"MTrk" + struct.pack(">I", len(track)) + track)


def bend_message(cents):
    value = int(round(8192 + cents / BEND_RANGE_CENTS * 8192))
    value = max(0, min(16383, value))
    return bytes([0xE0, value & 0x7F, value >> 7])


def melody(rng, low, high, legato):
    """Notes as (start seconds, end seconds, MIDI note, vibrato cents, vibrato Hz)."""
    notes = []
    t = 0.3
    pitch = rng.randint(low + 4, high - 4)
    for i in range(14):
        duration = rng.uniform(0.25, 0.7)
        vibrato = rng.uniform(20.0, 50.0) if legato and duration > 0.4 and rng.random() < 0.6 else 0.0
        notes.append((t, t + duration, pitch, vibrato, rng.uniform(4.5, 6.5)))
        t += duration
        if not legato:
            t += rng.uniform(0.15, 0.4)
        step = rng.choice([1, 2, 2, 3, 4, 5, 7, 12]) * rng.choice([-1, 1])
        if not low <= pitch + step <= high:
            step = -step
        pitch = max(low, min(high, pitch + step))
    return notes


def phrase_events(notes, program, reverb):
    events = [(0, bytes([0xC0, program])), (0, bytes([0xB0, 91, 100 if reverb else 0])),
              (0, bytes([0xB0, 93, 0])), (0, bend_message(0.0))]
    bends = []  # (seconds, cents) as sent, for the ground truth
    for start, end, pitch, depth, rate in notes:
        on, off = seconds_to_ticks(start), seconds_to_ticks(end)
        events.append((on, bytes([0x90, pitch, 100])))
        events.append((off, bytes([0x80, pitch, 0])))
        if depth > 0.0:
            # A sine vibrato that starts at zero bend, updated every 5 ms (about 5 ticks).
            tick = on
            while tick < off:
                cents = depth * math.sin(2.0 * math.pi * rate * (ticks_to_seconds(tick) - start))
                events.append((tick, bend_message(cents)))
                value = int(round(8192 + cents / BEND_RANGE_CENTS * 8192))
                bends.append((ticks_to_seconds(tick), (value - 8192) / 8192.0 * BEND_RANGE_CENTS))
                tick += 5
            events.append((off, bend_message(0.0)))
            bends.append((ticks_to_seconds(off), 0.0))
    return events, bends


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("output")
    parser.add_argument("--rate", type=int, default=48000)
    parser.add_argument("--soundfont", default="/usr/share/sounds/sf2/FluidR3_GM.sf2")
    args = parser.parse_args()
    os.makedirs(args.output, exist_ok=True)
    rng = random.Random(2024)
    listing = []
    for name, group, program, low, high in INSTRUMENTS:
        for legato in (True, False):
            notes = melody(rng, low, high, legato)
            for reverb in (False, True):
                base = "%s-%s%s" % (name, "legato" if legato else "detached", "-reverb" if reverb else "")
                events, bends = phrase_events(notes, program, reverb)
                midi_path = os.path.join(args.output, base + ".mid")
                wav_path = os.path.join(args.output, base + ".wav")
                # A second of silence after the last note lets the release and the reverb tail die out.
                events.append((seconds_to_ticks(notes[-1][1] + 1.0), bytes([0xB0, 123, 0])))
                write_midi(midi_path, events)
                subprocess.run(["fluidsynth", "-ni", "-q", "-g", "0.5", "-r", str(args.rate), "-R",
                                "1" if reverb else "0", "-C", "0", "-O", "float", "-T", "wav", "-F", wav_path,
                                args.soundfont, midi_path], check=True, stdout=subprocess.DEVNULL)
                with open(os.path.join(args.output, base + ".truth"), "w") as f:
                    f.write("# group %s\n# condition %s\n" % (group, "reverb" if reverb else "dry"))
                    for start, end, pitch, _, _ in notes:
                        f.write("note %.6f %.6f %d\n" % (start, end, pitch))
                    for time, cents in bends:
                        f.write("bend %.6f %.4f\n" % (time, cents))
                listing.append(base)
                print(base, file=sys.stderr)
    with open(os.path.join(args.output, "set.txt"), "w") as f:
        f.write("\n".join(listing) + "\n")


if __name__ == "__main__":
    main()
