#!/usr/bin/env python3
"""Makes the six sample sounds the Notification page can play at logoff:

    make_sounds.py <output-dir>

boing.wav, boioing.wav, carhorn.wav, shoot.wav, Xylophone.wav and zap.wav:
short sounds of our own, synthesised here from sine, square and noise
waves (16-bit mono PCM at 22,050 samples a second), the same bytes on every
run.
"""
import math
import os
import struct
import sys

RATE = 22050


def wav(samples):
    """A RIFF WAVE file of 16-bit mono PCM from samples between -1 and 1."""
    data = b''.join(struct.pack('<h', max(-32767, min(32767, round(s * 32767)))) for s in samples)
    fmt = struct.pack('<HHIIHH', 1, 1, RATE, RATE * 2, 2, 16)
    return (b'RIFF' + struct.pack('<I', 4 + 8 + len(fmt) + 8 + len(data)) + b'WAVE' +
            b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(data)) + data)


def envelope(t, length, attack=0.005, release=0.02):
    """Soft edges, so that no sound starts or ends with a click."""
    return min(1.0, t / attack, max(0.0, (length - t) / release))


def tone(length, pitch, decay, shape=math.sin, volume=0.8):
    """A tone whose frequency at time t is pitch(t), fading by exp(-decay * t)."""
    phase, out = 0.0, []
    for i in range(int(length * RATE)):
        t = i / RATE
        phase += 2 * math.pi * pitch(t) / RATE
        out.append(volume * shape(phase) * math.exp(-decay * t) * envelope(t, length))
    return out


def square(phase):
    return 1.0 if math.sin(phase) >= 0 else -1.0


def soft_square(phase):
    return math.tanh(3 * math.sin(phase))


def boing():
    return tone(0.6, lambda t: 150 + 150 * math.exp(-6 * t) * (1 + 0.15 * math.sin(2 * math.pi * 18 * t)), 5)


def boioing():
    return tone(0.9, lambda t: 300 + 120 * math.sin(2 * math.pi * 7 * t) * math.exp(-2 * t), 3.5)


def carhorn():
    low = tone(0.5, lambda t: 392, 0.4, soft_square, 0.45)
    high = tone(0.5, lambda t: 494, 0.4, soft_square, 0.4)
    return [a + b for a, b in zip(low, high)]


def shoot():
    seed, level, out = 12345, 0.0, []
    length = 0.35
    for i in range(int(length * RATE)):
        t = i / RATE
        seed = (seed * 1103515245 + 12345) % 2 ** 31
        noise = seed / 2 ** 30 - 1
        # A low-pass filter that closes as the bang fades.
        level += (noise - level) * (0.9 * math.exp(-12 * t) + 0.05)
        out.append(0.9 * level * math.exp(-9 * t) * envelope(t, length, 0.001))
    return out


def xylophone():
    out = []
    for note in (1047, 1319, 1568):  # C, E and G two octaves above middle C
        bar = tone(0.18, lambda t: note, 18, volume=0.6)
        overtone = tone(0.18, lambda t: note * 3.9, 40, volume=0.2)
        out += [a + b for a, b in zip(bar, overtone)]
    return out


def zap():
    return tone(0.3, lambda t: 200 + 1800 * math.exp(-12 * t), 4, square, 0.35)


SOUNDS = {
    'boing.wav': boing,
    'boioing.wav': boioing,
    'carhorn.wav': carhorn,
    'shoot.wav': shoot,
    'Xylophone.wav': xylophone,
    'zap.wav': zap,
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, make in SOUNDS.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(wav(make()))


if __name__ == '__main__':
    main()
