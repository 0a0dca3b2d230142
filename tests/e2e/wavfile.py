"""Reads the WAV files OpenAL Soft's wave backend writes (32-bit float or integer PCM, plain or
WAVE_FORMAT_EXTENSIBLE) into a numpy array, and measures loudness over time.

The wave backend fixes the header sizes only when the device closes; a file of a game that was
killed keeps a size of 0 or too much in its header, so the data chunk is read to the end of file.
"""

import struct

import numpy

PCM, FLOAT, EXTENSIBLE = 1, 3, 0xFFFE


class Wav:
    def __init__(self, rate, samples):
        self.rate = rate
        self.samples = samples  # frames x channels, float in [-1, 1]

    @property
    def seconds(self):
        return len(self.samples) / float(self.rate) if self.rate else 0.0

    def mono(self):
        return self.samples.mean(axis=1) if len(self.samples) else numpy.zeros(0)

    def section(self, start, end=None):
        """The frames from start to end seconds."""
        first = int(start * self.rate)
        last = len(self.samples) if end is None else int(end * self.rate)
        return Wav(self.rate, self.samples[first:last])

    def rms(self):
        return rms(self.mono())

    def peak(self):
        return float(numpy.abs(self.samples).max()) if self.samples.size else 0.0

    def rms_windows(self, window=0.1):
        """RMS of consecutive windows of the given length in seconds."""
        size = max(1, int(window * self.rate))
        mono = self.mono()
        count = len(mono) // size
        return [rms(mono[i * size:(i + 1) * size]) for i in range(count)]


def rms(values):
    if len(values) == 0:
        return 0.0
    return float(numpy.sqrt(numpy.mean(numpy.square(values, dtype=numpy.float64))))


def read(path):
    with open(path, "rb") as handle:
        data = handle.read()
    if len(data) < 12 or data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError("%s is not a RIFF WAVE file" % path)
    offset = 12
    fmt = None
    while offset + 8 <= len(data):
        chunk, size = data[offset:offset + 4], struct.unpack_from("<I", data, offset + 4)[0]
        body = offset + 8
        if chunk == b"fmt ":
            if size < 16 or body + 16 > len(data):
                raise ValueError("%s: fmt chunk too short" % path)
            tag, channels, rate, _, align, bits = struct.unpack_from("<HHIIHH", data, body)
            if tag == EXTENSIBLE:
                if size < 40 or body + 40 > len(data):
                    raise ValueError("%s: extensible fmt chunk too short" % path)
                tag = struct.unpack_from("<H", data, body + 24)[0]
            fmt = (tag, channels, rate, align, bits)
        elif chunk == b"data":
            if fmt is None:
                raise ValueError("%s: data before fmt" % path)
            end = len(data) if size == 0 or body + size > len(data) else body + size
            return _decode(path, fmt, data[body:end])
        offset = body + size + (size & 1)
    raise ValueError("%s has no data chunk" % path)


def _decode(path, fmt, raw):
    tag, channels, rate, align, bits = fmt
    if channels == 0 or align == 0:
        raise ValueError("%s: no channels" % path)
    raw = raw[:len(raw) - len(raw) % align]
    if tag == FLOAT and bits == 32:
        samples = numpy.frombuffer(raw, dtype="<f4").astype(numpy.float32)
    elif tag == PCM and bits == 16:
        samples = numpy.frombuffer(raw, dtype="<i2").astype(numpy.float32) / 32768.0
    elif tag == PCM and bits == 32:
        samples = numpy.frombuffer(raw, dtype="<i4").astype(numpy.float32) / 2147483648.0
    elif tag == PCM and bits == 8:
        samples = (numpy.frombuffer(raw, dtype="u1").astype(numpy.float32) - 128.0) / 128.0
    else:
        raise ValueError("%s: unsupported sample format %d/%d bits" % (path, tag, bits))
    return Wav(rate, samples.reshape(-1, channels))


def write(path, rate, samples, float32=True, extensible=True):
    """Writes frames x channels floats; the test of the reader and tests that need a known
    sound file use it."""
    samples = numpy.asarray(samples, dtype=numpy.float32)
    if samples.ndim == 1:
        samples = samples.reshape(-1, 1)
    channels = samples.shape[1]
    if float32:
        raw, bits, tag = samples.astype("<f4").tobytes(), 32, FLOAT
    else:
        ints = numpy.clip(numpy.round(samples * 32767.0), -32768, 32767).astype("<i2")
        raw, bits, tag = ints.tobytes(), 16, PCM
    align = channels * bits // 8
    if extensible:
        fmt = struct.pack("<HHIIHHHHI16s", EXTENSIBLE, channels, rate, rate * align, align, bits,
                          22, bits, 0, struct.pack("<H", tag) + b"\x00\x00\x00\x00\x10\x00\x80\x00"
                          b"\x00\xaa\x00\x38\x9b\x71")
    else:
        fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack(
        "<I", len(raw)) + raw
    with open(path, "wb") as handle:
        handle.write(b"RIFF" + struct.pack("<I", len(body)) + body)
