"""Music and sound effects, synthesised with numpy and encoded with lame and oggenc."""

import math
import os
import subprocess
import tempfile
import wave

import numpy as np

SR = 44100
TAU = 2 * math.pi


def rng(seed):
    return np.random.default_rng(seed)


def seconds(n):
    return int(round(n * SR))


def timeline(duration):
    return np.arange(seconds(duration)) / SR


def midi(note):
    return 440.0 * 2 ** ((note - 69) / 12)


def adsr(n, attack, decay, sustain, release):
    """Envelope over n samples; times in seconds."""
    a, d, r = seconds(attack), seconds(decay), seconds(release)
    env = np.full(n, sustain, float)
    a = min(a, n)
    env[:a] = np.linspace(0, 1, a, endpoint=False) if a else env[:a]
    d_end = min(n, a + d)
    if d_end > a:
        env[a:d_end] = np.linspace(1, sustain, d_end - a, endpoint=False)
    if r:
        r = min(r, n)
        env[n - r:] *= np.linspace(1, 0, r) ** 1.5
    return env


def spectral_filter(signal, gain_of_freq):
    """Zero-phase filtering through the FFT; circular, so a looped buffer stays seamless."""
    spec = np.fft.rfft(signal)
    f = np.fft.rfftfreq(len(signal), 1 / SR)
    return np.fft.irfft(spec * gain_of_freq(f), len(signal))


def band(f, centre, width):
    return np.exp(-0.5 * ((f - centre) / width) ** 2)


def lowpass_gain(cut, order=2):
    return lambda f: 1 / np.sqrt(1 + (f / cut) ** (2 * order))


def formant_voice(f0, formants, n_harm=40, tilt=1.0, jitter=0.0, seed=0):
    """Harmonic voice whose harmonics are weighted by a formant envelope.

    f0: per-sample fundamental; formants: list of (centre, width, gain), each centre and gain may
    be a per-sample array, so vowels can glide.
    """
    r = rng(seed)
    if jitter:
        f0 = f0 * (1 + jitter * np.convolve(r.standard_normal(len(f0)), np.ones(400) / 400, "same") * 20)
    phase = TAU * np.cumsum(f0) / SR
    out = np.zeros(len(f0))
    for k in range(1, n_harm + 1):
        fk = k * f0
        w = np.zeros(len(f0))
        for centre, width, gain in formants:
            w += gain * np.exp(-0.5 * ((fk - centre) / width) ** 2)
        w *= k ** -tilt * (fk < SR / 2 - 500)
        out += w * np.sin(k * phase + r.uniform(0, TAU))
    return out


def reverb(signal, length=1.2, mix=0.25, seed=0, stereo=False):
    r = rng(seed)
    n = seconds(length)
    t = np.arange(n) / SR
    chans = []
    for c in range(2 if stereo else 1):
        ir = r.standard_normal(n) * np.exp(-t * 6.9 / length)
        ir = spectral_filter(ir, lowpass_gain(4000))
        ir /= np.sqrt(np.sum(ir ** 2))
        src = signal[:, c] if signal.ndim == 2 else signal
        m = len(src) + n - 1
        size = 1 << (m - 1).bit_length()
        wet = np.fft.irfft(np.fft.rfft(src, size) * np.fft.rfft(ir, size), size)[:m]
        dry = np.concatenate([src, np.zeros(n - 1)])
        chans.append(dry * (1 - mix) + wet * mix)
    return np.stack(chans, 1) if stereo else chans[0]


def trim_tail(signal, threshold=1e-4):
    """Cut trailing near-silence left by reverbs."""
    mag = np.abs(signal) if signal.ndim == 1 else np.abs(signal).max(1)
    idx = np.nonzero(mag > threshold)[0]
    end = idx[-1] + 1 if len(idx) else len(signal)
    return signal[:end]


def fade(signal, fade_in=0.003, fade_out=0.01):
    s = signal.copy()
    a, b = seconds(fade_in), seconds(fade_out)
    ramp_in = np.linspace(0, 1, a) if a else np.ones(0)
    ramp_out = np.linspace(1, 0, b) if b else np.ones(0)
    if s.ndim == 2:
        ramp_in, ramp_out = ramp_in[:, None], ramp_out[:, None]
    s[:a] *= ramp_in
    s[len(s) - b:] *= ramp_out
    return s


def normalise(signal, peak):
    return signal * (peak / max(1e-9, np.abs(signal).max()))


# ---------------------------------------------------------------------------------------------
# Music


def _circular_add(buf, start, note):
    n = len(buf)
    idx = (start + np.arange(len(note))) % n
    np.add.at(buf, idx, note)


def _pluck(freq, dur, bright=1.0):
    t = timeline(dur)
    env = np.exp(-t * 3.2) * (1 - np.exp(-t * 400))
    s = (np.sin(TAU * freq * t) + 0.35 * bright * np.sin(TAU * 2 * freq * t) * np.exp(-t * 4)
         + 0.12 * bright * np.sin(TAU * 3 * freq * t) * np.exp(-t * 7)
         + 0.05 * np.sin(TAU * 4.2 * freq * t) * np.exp(-t * 12))
    return s * env


def _pad(freq, dur, seed):
    t = timeline(dur)
    r = rng(seed)
    s = np.zeros(len(t))
    for detune in (-0.12, 0.0, 0.13):
        f = freq * 2 ** (detune / 12)
        ph = r.uniform(0, TAU)
        s += np.sin(TAU * f * t + ph) + 0.3 * np.sin(TAU * 2 * f * t + ph) + 0.1 * np.sin(TAU * 3 * f * t + ph)
    env = np.minimum(1, t / 0.9) * np.minimum(1, (dur - t) / 1.2).clip(0)
    return s * env / 3


def _bass(freq, dur):
    t = timeline(dur)
    env = (1 - np.exp(-t * 60)) * np.exp(-t * 1.1) * np.minimum(1, (dur - t) / 0.05).clip(0)
    return (np.sin(TAU * freq * t) + 0.25 * np.sin(TAU * 2 * freq * t)) * env


def background_music():
    """24 s, 80 bpm, eight bars that lead back into the first: loops seamlessly."""
    beat = 0.75
    bars = 8
    n = seconds(bars * 4 * beat)
    left = np.zeros(n)
    right = np.zeros(n)
    # Chords as MIDI notes: Cmaj7, Am7, Fmaj7, G6 and again with a suspended turn back home.
    chords = [
        [48, 55, 59, 64], [45, 52, 55, 60], [41, 48, 52, 57], [43, 50, 55, 59],
        [48, 55, 59, 64], [45, 52, 55, 60], [41, 48, 53, 57], [43, 50, 53, 59],
    ]
    melody = [  # (beat within the loop, midi note, beats)
        (0, 76, 1.5), (1.5, 74, 0.5), (2, 72, 2),
        (4, 72, 1), (5, 74, 1), (6, 76, 2),
        (8, 77, 1.5), (9.5, 76, 0.5), (10, 72, 2),
        (12, 74, 3), (15, 71, 1),
        (16, 72, 1.5), (17.5, 74, 0.5), (18, 76, 1), (19, 79, 1),
        (20, 76, 2), (22, 72, 2),
        (24, 77, 1), (25, 76, 1), (26, 74, 1), (27, 72, 1),
        (28, 74, 3),
    ]
    for bar, chord in enumerate(chords):
        start = seconds(bar * 4 * beat)
        for k, note in enumerate(chord[1:]):
            p = _pad(midi(note + 12), 4 * beat + 1.4, bar * 10 + k) * 0.11
            _circular_add(left, start, p * (0.6 + 0.2 * k))
            _circular_add(right, start, p * (1.0 - 0.2 * k))
        for half in range(2):
            b = _bass(midi(chord[0] - 12 if half == 0 else chord[0] - 5), 2 * beat) * 0.32
            _circular_add(left, start + seconds(half * 2 * beat), b)
            _circular_add(right, start + seconds(half * 2 * beat), b)
        # Gentle arpeggio on eighths, alternating sides a little.
        pattern = [0, 1, 2, 3, 2, 1, 2, 3]
        for k, idx in enumerate(pattern):
            note = chord[idx] + 12
            p = _pluck(midi(note), 1.6, 0.6) * (0.09 if k % 2 else 0.11)
            at = start + seconds(k * beat / 2)
            _circular_add(left, at, p * (0.8 if k % 2 else 1.1))
            _circular_add(right, at, p * (1.1 if k % 2 else 0.8))
    for at, note, length in melody:
        p = _pluck(midi(note), length * beat + 1.2, 1.0) * 0.2
        _circular_add(left, seconds(at * beat), p * 0.95)
        _circular_add(right, seconds(at * beat), p * 1.05)
    stereo = np.stack([left, right], 1)
    # Circular reverb: the tail of the loop's end falls into its start, as it would when looping.
    wet = np.stack([_circular_reverb(stereo[:, c], 2.2, 40 + c) for c in range(2)], 1)
    mix = stereo * 0.8 + wet * 0.35
    return normalise(mix, 0.85)


def _circular_reverb(x, length, seed):
    r = rng(seed)
    m = seconds(length)
    t = np.arange(m) / SR
    ir = r.standard_normal(m) * np.exp(-t * 6.9 / length)
    ir = spectral_filter(ir, lowpass_gain(3500))
    ir /= np.sqrt(np.sum(ir ** 2))
    ir_full = np.zeros(len(x))
    ir_full[:m] = ir
    return np.fft.irfft(np.fft.rfft(x) * np.fft.rfft(ir_full), len(x))


# ---------------------------------------------------------------------------------------------
# Effects


def _woodblock(freqs, decay, seed, click=0.4):
    t = timeline(0.12)
    r = rng(seed)
    s = sum(a * np.sin(TAU * f * t) * np.exp(-t / (decay * d)) for f, a, d in freqs)
    noise = r.standard_normal(len(t)) * np.exp(-t / 0.0015) * click
    return s + noise


def clock_ticking():
    """16 s of a cartoon clock: tick and tock twice a second."""
    total = np.zeros(seconds(16.0))
    tick = _woodblock([(2900, 1.0, 1.0), (4300, 0.5, 0.6), (6100, 0.25, 0.4)], 0.012, 1)
    tock = _woodblock([(1700, 1.0, 1.0), (2600, 0.5, 0.7), (3900, 0.2, 0.5)], 0.016, 2)
    for k in range(32):
        at = seconds(k * 0.5)
        s = tick if k % 2 == 0 else tock
        total[at:at + len(s)] += s * (1.0 if k % 2 == 0 else 0.9)
    return normalise(fade(total, 0, 0.05), 0.6)


def _brass_note(freq, dur, seed, scoop=True):
    t = timeline(dur)
    env = adsr(len(t), 0.035, 0.08, 0.78, min(0.12, dur * 0.4))
    f0 = freq * (1 + 0.004 * np.sin(TAU * 5.5 * t) * np.clip((t - 0.15) * 4, 0, 1))
    if scoop:
        f0 = f0 * (1 - 0.03 * np.exp(-t / 0.02))
    # Brightness follows loudness, as on a real bugle.
    out = np.zeros(len(t))
    phase = TAU * np.cumsum(f0) / SR
    for k in range(1, 18):
        bright = np.exp(-(k - 1) * (0.55 - 0.35 * env))
        formant = 1 + 1.5 * math.exp(-0.5 * ((k * freq - 1300) / 500) ** 2)
        out += bright * formant * np.sin(k * phase) / k ** 0.5
    return out * env


def bugle_jingle():
    """Short rising fanfare on bugle notes (the harmonic series of C)."""
    G4, C5, E5, G5, C6 = (midi(n) for n in (67, 72, 76, 79, 84))
    notes = [(G4, 0.14), (G4, 0.14), (C5, 0.45), (None, 0.08),
             (E5, 0.14), (E5, 0.14), (G5, 0.45), (None, 0.08),
             (G5, 0.14), (E5, 0.14), (C5, 0.14), (E5, 0.14), (G5, 0.3), (C6, 1.1)]
    parts = []
    for k, (f, d) in enumerate(notes):
        if f is None:
            parts.append(np.zeros(seconds(d)))
        else:
            parts.append(_brass_note(f, d, k))
    s = np.concatenate(parts)
    s = reverb(s, 1.4, 0.22, seed=3)
    return normalise(fade(trim_tail(s, 1e-3), 0.002, 0.2), 0.8)


def _woodwind_note(freq, dur, staccato, seed, vibrato=0.0, bend=0.0):
    t = timeline(dur)
    release = 0.04 if staccato else 0.15
    env = adsr(len(t), 0.025, 0.05, 0.85, release)
    f0 = freq * (1 + vibrato * np.sin(TAU * 6 * t) * np.clip(t * 3, 0, 1)) * (1 + bend * t / dur)
    phase = TAU * np.cumsum(f0) / SR
    out = np.zeros(len(t))
    for k in range(1, 14):
        # Clarinet-like: odd harmonics strong, even ones faint.
        amp = (1.0 if k % 2 else 0.18) / k
        out += amp * np.sin(k * phase)
    breath = rng(seed).standard_normal(len(t)) * 0.02
    return (out + breath) * env


def woodwind_descend():
    """Playful descending 'oh no' figure ending on a drooping long note."""
    notes = [(79, 0.16, True), (78, 0.16, True), (77, 0.16, True), (None, 0.1, True),
             (74, 0.16, True), (73, 0.16, True), (72, 0.16, True), (None, 0.1, True),
             (69, 0.22, True), (68, 0.22, True), (67, 1.0, False)]
    parts = []
    for k, (n, d, stac) in enumerate(notes):
        if n is None:
            parts.append(np.zeros(seconds(d)))
            continue
        last = k == len(notes) - 1
        parts.append(_woodwind_note(midi(n), d, stac, k, vibrato=0.012 if last else 0.0,
                                    bend=-0.06 if last else 0.0))
    s = np.concatenate(parts)
    # A bassoon answers an octave below on the last two notes.
    low = np.zeros(len(s))
    tail = _woodwind_note(midi(55), 1.0, False, 99, vibrato=0.01, bend=-0.06) * 0.5
    low[len(s) - len(tail):] += tail
    s = reverb(s + low, 1.0, 0.18, seed=4)
    return normalise(fade(trim_tail(s, 1e-3), 0.002, 0.15), 0.75)


def _step(seed):
    r = rng(seed)
    n = seconds(0.22)
    t = np.arange(n) / SR
    thump = np.sin(TAU * 95 * t * (1 - 0.3 * t / 0.22)) * np.exp(-t / 0.025) * 0.6
    grains = np.zeros(n)
    count = 70
    times = np.sort(r.gamma(2.0, 0.02, count))
    for when, amp in zip(times, r.uniform(0.2, 1.0, count)):
        i = int(when * SR)
        if i >= n - 60:
            continue
        g = r.standard_normal(40) * np.exp(-np.arange(40) / 8)
        grains[i:i + 40] += g * amp * math.exp(-when / 0.06)
    grains = spectral_filter(grains, lambda f: band(f, 2500, 1800) + 0.3 * band(f, 6000, 2000))
    return thump + grains * 0.9


def footsteps():
    """Four steps on a dry path, evenly spaced, so the loop keeps walking pace (2.4 s)."""
    period = 0.6
    total = np.zeros(seconds(4 * period))
    for k in range(4):
        s = _step(10 + k) * (1.0 if k % 2 == 0 else 0.85)
        at = seconds(k * period + 0.02)
        end = min(len(total), at + len(s))
        total[at:end] += s[:end - at]
    return normalise(total, 0.55)


def grunt():
    """Short exertion grunt: 'hnh!' with a falling pitch."""
    dur = 0.38
    t = timeline(dur)
    f0 = 235 * (1 + 0.12 * np.exp(-t / 0.05)) * (1 - 0.18 * t / dur)
    f1 = 620 + 120 * np.exp(-t / 0.08)
    voice = formant_voice(f0, [(f1, 110, 1.0), (1180, 140, 0.5), (2650, 220, 0.22), (3500, 300, 0.08)],
                          tilt=0.6, jitter=0.002, seed=5)
    env = adsr(len(t), 0.012, 0.06, 0.6, 0.16) * (1 + 0.6 * np.exp(-t / 0.03))
    breath = spectral_filter(rng(6).standard_normal(len(t)), lambda f: band(f, 1500, 900)) * 0.15
    s = (voice + breath) * env
    return normalise(fade(s, 0.002, 0.03), 0.8)


def watery_sweep():
    """Splash and bubbles with a quick downward sweep."""
    dur = 0.65
    n = seconds(dur)
    t = np.arange(n) / SR
    r = rng(7)
    # Sweep: short overlapping blocks of noise, each filtered around a falling centre.
    noise = r.standard_normal(n)
    block = 1024
    hop = 512
    win = np.hanning(block)
    sweep = np.zeros(n + block)
    for start in range(0, n, hop):
        seg = np.zeros(block)
        chunk = noise[start:start + block]
        seg[:len(chunk)] = chunk
        centre = 3500 * math.exp(-start / SR / 0.18) + 350
        f = np.fft.rfftfreq(block, 1 / SR)
        spec = np.fft.rfft(seg * win) * band(f, centre, centre * 0.35)
        sweep[start:start + block] += np.fft.irfft(spec, block) * win
    sweep = sweep[:n] * np.exp(-t / 0.18) * (1 - np.exp(-t / 0.004))
    bubbles = np.zeros(n)
    for _ in range(26):
        start = r.uniform(0.02, 0.45)
        f_start = r.uniform(350, 1300)
        life = r.uniform(0.02, 0.07)
        bt = np.arange(seconds(2.5 * life)) / SR
        freq = f_start * (1 + 2.0 * bt / life)
        ph = TAU * np.cumsum(freq) / SR
        b = np.sin(ph) * np.exp(-bt / (life / 3)) * (1 - np.exp(-bt / 0.002)) * r.uniform(0.2, 0.6)
        i = seconds(start)
        e = min(n, i + len(b))
        bubbles[i:e] += b[:e - i]
    s = sweep * 3.0 + bubbles
    return normalise(fade(s, 0.002, 0.05), 0.75)


def empty_click():
    """Dull, hollow click of an empty throw."""
    t = timeline(0.14)
    r = rng(8)
    body = np.sin(TAU * 150 * t) * np.exp(-t / 0.018) + 0.35 * np.sin(TAU * 430 * t) * np.exp(-t / 0.01)
    click = spectral_filter(r.standard_normal(len(t)) * np.exp(-t / 0.0012), lowpass_gain(1800)) * 0.8
    return normalise(fade(body + click, 0.0005, 0.02), 0.5)


def goose_honk():
    """One nasal, raspy honk with a quick rise and fall in pitch."""
    dur = 0.42
    t = timeline(dur)
    contour = 1 + 0.18 * np.sin(math.pi * np.clip(t / 0.3, 0, 1)) - 0.12 * np.clip((t - 0.3) / 0.12, 0, 1)
    f0 = 310 * contour
    voice = formant_voice(f0, [(950, 160, 1.0), (1850, 220, 0.8), (3000, 300, 0.35)], n_harm=45,
                          tilt=0.2, jitter=0.004, seed=9)
    # Roughness: a subharmonic flutter makes it a honk rather than a tone.
    rough = 1 + 0.45 * np.sin(TAU * np.cumsum(f0 / 2) / SR)
    env = adsr(len(t), 0.015, 0.05, 0.85, 0.09)
    return normalise(fade(voice * rough * env, 0.002, 0.02), 0.8)


def howl():
    """Short wolf-like howl: rises, holds with vibrato, falls away."""
    dur = 1.7
    t = timeline(dur)
    rise = np.clip(t / 0.45, 0, 1)
    fall = np.clip((t - 1.15) / 0.55, 0, 1)
    f0 = (330 + 290 * (1 - (1 - rise) ** 2) - 260 * fall ** 1.5) * (1 + 0.012 * np.sin(TAU * 5.2 * t) * rise)
    f1 = 320 + 380 * rise - 200 * fall
    f2 = 780 + 380 * rise - 250 * fall
    voice = formant_voice(f0, [(f1, 380, 1.0), (f2, 400, 0.35), (2600, 500, 0.05)], tilt=1.0, seed=10)
    env = adsr(len(t), 0.12, 0.2, 0.85, 0.5)
    breath = spectral_filter(rng(11).standard_normal(len(t)), lambda f: band(f, 900, 500)) * 0.05
    s = reverb((voice + breath) * env, 1.8, 0.15, seed=12)
    return normalise(fade(trim_tail(s, 1e-3), 0.01, 0.3), 0.75)


def horror_hum():
    """8 s eerie drone; every component is periodic in 8 s, so it loops without a seam."""
    period = 8.0
    n = seconds(period)
    t = np.arange(n) / SR
    s = np.zeros(n)
    for f, a in ((55.0, 1.0), (55.5, 0.8), (110.0, 0.45), (165.125, 0.2)):
        s += a * np.sin(TAU * f * t)
    # Bright parts and the woosh are quietest at the loop point, where the codec is least exact.
    lfo = 0.5 - 0.5 * np.cos(TAU * t / 4.0)
    s += 0.12 * lfo * (np.sin(TAU * 880.0 * t) + np.sin(TAU * 932.5 * t))
    # Woosh: circular noise filtered through the FFT, swelling once per loop.
    noise = spectral_filter(rng(13).standard_normal(n), lambda f: band(f, 420, 220) + 0.4 * band(f, 1200, 300))
    noise /= np.abs(noise).max()
    s += 0.6 * noise * (0.1 + 0.9 * (0.5 - 0.5 * np.cos(TAU * t / period)) ** 2)
    return normalise(s, 0.6)


def car_horn():
    """Two-tone toy car horn: beep-beeep."""
    def horn(dur):
        t = timeline(dur)
        out = np.zeros(len(t))
        for f in (415.0, 523.0):
            phase = TAU * f * t
            for k in range(1, 16):
                amp = (1.0 / k) * (1 + 2.0 * math.exp(-0.5 * ((k * f - 2400) / 700) ** 2))
                out += amp * np.sin(k * phase)
        return out * adsr(len(t), 0.008, 0.03, 0.9, 0.03)

    s = np.concatenate([horn(0.16), np.zeros(seconds(0.07)), horn(0.38)])
    return normalise(fade(s, 0.002, 0.02), 0.75)


# ---------------------------------------------------------------------------------------------
# Encoding


def _write_wav(path, signal):
    data = np.clip(signal, -1, 1)
    channels = 1 if data.ndim == 1 else data.shape[1]
    pcm = (data * 32767).round().astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(SR)
        w.writeframes(pcm.tobytes())


def encode(path, signal, bitrate=96):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "in.wav")
        _write_wav(wav, signal)
        if path.endswith(".ogg"):
            subprocess.run(["oggenc", "-Q", "-q", "6", "--serial", "20240", "-o", path, wav], check=True)
        else:
            subprocess.run(["lame", "--quiet", "--noreplaygain", "-q", "2", "-b", str(bitrate), wav, path],
                           check=True)


CAR_SOUND = "car_horn_honk.mp3"


def build_all(out):
    encode(f"{out}/background.mp3", background_music(), 128)
    encode(f"{out}/cartoon_clock_ticking.mp3", clock_ticking(), 64)
    encode(f"{out}/bugle_music_reveille.mp3", bugle_jingle(), 96)
    encode(f"{out}/musical_woodwinds_melody_descend_playful.mp3", woodwind_descend(), 96)
    encode(f"{out}/footsteps_on_forest_pathway_dry_clear_of_debris_001.mp3", footsteps(), 64)
    encode(f"{out}/female_exert_grunt.mp3", grunt(), 64)
    encode(f"{out}/sweep_organic_watery_fast.mp3", watery_sweep(), 64)
    encode(f"{out}/ambient_029.mp3", empty_click(), 64)
    encode(f"{out}/goose_honk_once_001.mp3", goose_honk(), 64)
    encode(f"{out}/sound_design_effect_howling_short.mp3", howl(), 64)
    encode(f"{out}/SFX_Horror-Woosh.ogg", horror_hum())
    encode(f"{out}/{CAR_SOUND}", car_horn(), 64)
