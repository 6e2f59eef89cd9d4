#!/usr/bin/env python3
"""Writes the program's four event sounds as short 16-bit mono WAV files.

Every sound is synthesised here from sine partials and filtered noise under simple envelopes,
so the recordings are our own. Run it again to regenerate resources/sounds/:
    python3 tools/sounds/make_sounds.py resources/sounds
"""
import math
import random
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def envelope(t, attack, decay):
    """Fast rise, exponential fall."""
    if t < attack:
        return t / attack
    return math.exp(-(t - attack) / decay)


def tone(duration, partials, attack=0.004, decay=0.05, glide=0.0):
    """partials: (frequency, amplitude); glide: relative frequency change over the duration."""
    samples = []
    phases = [0.0] * len(partials)
    for i in range(int(duration * RATE)):
        t = i / RATE
        value = 0.0
        for k, (freq, amp) in enumerate(partials):
            f = freq * (1.0 + glide * t / duration)
            phases[k] += 2 * math.pi * f / RATE
            value += amp * math.sin(phases[k])
        samples.append(value * envelope(t, attack, decay))
    return samples


def noise(duration, attack, decay, smoothing, seed):
    """Low-passed noise: a soft swish or thud."""
    rng = random.Random(seed)
    samples = []
    level = 0.0
    for i in range(int(duration * RATE)):
        t = i / RATE
        level += smoothing * (rng.uniform(-1.0, 1.0) - level)
        samples.append(level * envelope(t, attack, decay))
    return samples


def mix(*tracks):
    length = max(len(track) for track in tracks)
    return [sum(track[i] for track in tracks if i < len(track)) for i in range(length)]


def delayed(samples, seconds):
    return [0.0] * int(seconds * RATE) + samples


def write(path, samples, peak=0.6):
    top = max(abs(s) for s in samples) or 1.0
    frames = b"".join(struct.pack("<h", int(s / top * peak * 32767)) for s in samples)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "resources/sounds")
    folder.mkdir(parents=True, exist_ok=True)
    # A file landing on a button: a soft thud under a short falling "plop".
    write(folder / "DROP_SHORT_CUT.wav",
          mix(noise(0.12, 0.002, 0.03, 0.08, 1), tone(0.15, [(520, 1.0), (1040, 0.3)], decay=0.04, glide=-0.35)))
    # A page turning: a quick airy swish.
    write(folder / "SCROLL_PAGE.wav", noise(0.14, 0.03, 0.035, 0.35, 2), peak=0.45)
    # A command starting: two rising notes.
    write(folder / "RUN_COMMAND.wav",
          mix(tone(0.09, [(660, 1.0), (1320, 0.25)], decay=0.035),
              delayed(tone(0.14, [(990, 1.0), (1980, 0.2)], decay=0.05), 0.06)))
    # A button dropped on another: a low click and a short knock.
    write(folder / "DROP_COMMAND.wav",
          mix(noise(0.05, 0.001, 0.01, 0.5, 3), tone(0.12, [(330, 1.0), (495, 0.4)], decay=0.03, glide=-0.1)))


if __name__ == "__main__":
    main()
