"""The measuring helpers themselves: a wrong WAV reader or pixel measure would make every
sound and picture check of the end-to-end tests meaningless."""

import os
import struct
import tempfile
import unittest

import numpy
from PIL import Image

import pixels
import wavfile


class WavReader(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.folder.name, "t.wav")
        t = numpy.arange(4410) / 44100.0
        self.left = 0.5 * numpy.sin(2 * numpy.pi * 440 * t)
        self.stereo = numpy.stack([self.left, numpy.zeros_like(self.left)], axis=1)

    def tearDown(self):
        self.folder.cleanup()

    def test_float_extensible_as_openal_writes_it(self):
        wavfile.write(self.path, 44100, self.stereo)
        wav = wavfile.read(self.path)
        self.assertEqual((wav.rate, wav.samples.shape), (44100, (4410, 2)))
        numpy.testing.assert_allclose(wav.samples[:, 0], self.left, atol=1e-6)
        self.assertAlmostEqual(wavfile.rms(wav.samples[:, 0]), 0.5 / numpy.sqrt(2), places=3)

    def test_plain_16_bit_pcm(self):
        wavfile.write(self.path, 22050, self.stereo, float32=False, extensible=False)
        wav = wavfile.read(self.path)
        self.assertEqual(wav.rate, 22050)
        numpy.testing.assert_allclose(wav.samples[:, 0], self.left, atol=1.0 / 16000)

    def test_header_of_a_killed_recording_still_reads_all_data(self):
        wavfile.write(self.path, 44100, self.stereo)
        with open(self.path, "r+b") as handle:
            data = handle.read()
            where = data.index(b"data") + 4
            handle.seek(where)
            handle.write(struct.pack("<I", 0))
        self.assertEqual(len(wavfile.read(self.path).samples), 4410)

    def test_sections_and_loudness_over_time(self):
        quiet_then_loud = numpy.concatenate([numpy.zeros(4410), self.left])
        wavfile.write(self.path, 44100, quiet_then_loud)
        wav = wavfile.read(self.path)
        self.assertAlmostEqual(wav.seconds, 0.2)
        self.assertEqual(wav.section(0, 0.1).rms(), 0.0)
        windows = wav.rms_windows(0.1)
        self.assertEqual(len(windows), 2)
        self.assertGreater(windows[1], 0.3)

    def test_not_a_wav_is_refused(self):
        with open(self.path, "wb") as handle:
            handle.write(b"ID3 not a wave file")
        with self.assertRaises(ValueError):
            wavfile.read(self.path)


class Pixels(unittest.TestCase):
    def setUp(self):
        # Left half red, right half blue.
        self.image = Image.new("RGB", (100, 50), (255, 0, 0))
        self.image.paste((0, 0, 255), (50, 0, 100, 50))

    def test_mean_colour_of_whole_and_part(self):
        self.assertEqual(pixels.mean_colour(self.image), (127.5, 0.0, 127.5))
        self.assertEqual(pixels.mean_colour(self.image, (60, 10, 70, 20)), (0.0, 0.0, 255.0))
        self.assertEqual(pixels.mean_colour(self.image, (0.0, 0.0, 0.5, 1.0)), (255.0, 0.0, 0.0))

    def test_fraction_matching_with_tolerance(self):
        self.assertAlmostEqual(pixels.fraction_matching(self.image, (250, 5, 5), 10), 0.5)
        self.assertEqual(pixels.fraction_matching(self.image, (250, 5, 5), 2), 0.0)

    def test_box_outside_the_picture_is_an_error(self):
        with self.assertRaises(ValueError):
            pixels.mean_colour(self.image, (90, 0, 120, 10))

    def test_difference_scales_and_compares(self):
        self.assertLess(pixels.difference(self.image, self.image.resize((200, 100))), 1.0)
        swapped = self.image.transpose(Image.FLIP_LEFT_RIGHT)
        self.assertAlmostEqual(pixels.difference(self.image, swapped), 170.0)

    def test_resembles_sees_layout_not_just_average(self):
        swapped = self.image.transpose(Image.FLIP_LEFT_RIGHT)
        self.assertTrue(pixels.resembles(self.image.resize((640, 480)), self.image))
        self.assertFalse(pixels.resembles(swapped, self.image))
        self.assertEqual(pixels.distinct_colours(self.image), 2)


if __name__ == "__main__":
    unittest.main()
