"""The example study runs from start to end and draws its three pictures."""

import os
import subprocess
import sys
import tempfile
import unittest

EXAMPLE = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "zc_study.py")


class ExampleStudy(unittest.TestCase):
    def test_it_draws_every_picture(self):
        with tempfile.TemporaryDirectory() as out:
            done = subprocess.run([sys.executable, EXAMPLE, "--out", out, "--draws", "40"],
                                  capture_output=True, text=True, timeout=120)
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertIn("tolerance: 40 motors", done.stdout)
            for name in ["one_run.png", "duty_sweep.png", "tolerance.png"]:
                with open(os.path.join(out, name), "rb") as f:
                    self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", name)


if __name__ == "__main__":
    unittest.main()
