"""The module's samples, channels and log are the command line's, bit for bit, and its arrays
are read-only views of the engine's own records."""

import gc
import random
import unittest

import numpy as np

import bldc_emu
from support import cli, read_vcd, set_args

SWITCHES = ["HA", "LA", "HB", "LB", "HC", "LC"]
CASES = [
    ({}, {}),
    ({6: "8000", 10: "35"}, {"view": 2}),
    ({10: "60", 8: "10"}, {"pattern": 180, "view": 3}),
    ({1: "24", 3: "800", 9: "40"}, {"low_side_pwm": True, "mosfets": 0, "driver": 0}),
    ({10: "70"}, {"model": "circuit", "inductance_uh": 50.0, "diode_drop": 0.5, "view": 4}),
    ({6: "12000"}, {"model": "circuit", "view": 2}),
]


def random_case(rng):
    texts = {1: f"{rng.uniform(6, 30):.1f}", 3: str(rng.randint(500, 3000)),
             4: f"{rng.uniform(0.01, 0.3):.3f}", 6: str(rng.randint(2, 40) * 1000),
             7: f"{rng.uniform(0, 20):.1f}", 8: f"{rng.uniform(0, 30):.1f}",
             10: str(rng.randint(5, 100))}
    settings = {"high_side_pwm": rng.random() < 0.8, "low_side_pwm": rng.random() < 0.3,
                "driver": rng.randint(0, 1), "mosfets": rng.randint(0, 1),
                "pattern": rng.choice([120, 180]), "view": rng.randint(0, 3)}
    return texts, settings


def bridge_args(settings):
    args = []
    names = {"high_side_pwm": "--h-pwm", "low_side_pwm": "--l-pwm"}
    for key, option in names.items():
        if key in settings:
            args += [option, "on" if settings[key] else "off"]
    if "driver" in settings:
        args += ["--driver", str(settings["driver"])]
    if "mosfets" in settings:
        args += ["--mosfet", str(settings["mosfets"])]
    if "pattern" in settings:
        args += ["--pattern", str(settings["pattern"])]
    for key, option in [("model", "--model"), ("inductance_uh", "--inductance"),
                        ("diode_drop", "--diode-drop")]:
        if key in settings:
            args += [option, str(settings[key])]
    return args + ["--view", str(settings.get("view", 1))]


def scenario(texts, settings):
    s = bldc_emu.Scenario()
    for tag, text in texts.items():
        s.set(tag, text)
    for key, value in settings.items():
        setattr(s, key, value)
    return s


class SamplesEqualTheCommandLine(unittest.TestCase):
    def check(self, texts, settings, angle=None):
        s = scenario(texts, settings)
        r = s.run() if angle is None else s.run_angle(angle)
        args = set_args(texts) + bridge_args(settings)
        args += [] if angle is None else ["--angle", repr(angle)]
        log, _, _ = cli(*args, "--log", "-")
        self.assertEqual(r.log_bytes(), log)
        n = len(r)
        vcd = read_vcd(cli(*args, "--vcd", "-")[0].decode(), n)
        fields = [("A", r.phase_v[:, 0]), ("B", r.phase_v[:, 1]), ("C", r.phase_v[:, 2]),
                  ("Z", r.vzero), ("VBatt", r.vbatt), ("ANGLE", r.angle)]
        fields += [(name, r.switches[:, k]) for k, name in enumerate(SWITCHES)]
        fields += [(f"Drive{p}", r.drive[:, k]) for k, p in enumerate("ABC")]
        for name, values in fields:
            self.assertTrue(np.array_equal(vcd[name].view(np.uint32), values.view(np.uint32)),
                            f"{name} of {texts} {settings}")
        for name, channel in r.channels().items():
            # A channel that only repeats a base signal is dumped once, as that signal.
            repeated = {"Battery": "VBatt", "Zero-wire": "Z"}.get(name, name)
            dumped = vcd["view." + name] if "view." + name in vcd else vcd[repeated]
            self.assertTrue(np.array_equal(dumped.view(np.uint32), channel.view(np.uint32)), name)
        if s.model == "circuit":  # the currents view holds IA, IB, IC and IBatt as they are
            currents = read_vcd(cli(*args, "--view", "4", "--vcd", "-")[0].decode(), n)
            dumped = [v for k, v in currents.items() if k.startswith("view.")]
            for k, expected in enumerate([*r.currents.T, r.ibatt]):
                self.assertTrue(np.array_equal(dumped[k].view(np.uint32), expected.view(np.uint32)))
        else:
            self.assertIsNone(r.currents)
        times = [line.split(b"\t")[1] for line in log.split(b"\r\n")[1:-1]]
        self.assertTrue(np.array_equal(np.array(times, dtype=np.float32), r.time))

    def test_cases_and_random_scenarios(self):
        rng = random.Random(22)
        for texts, settings in CASES + [random_case(rng) for _ in range(6)]:
            with self.subTest(texts=texts, settings=settings):
                self.check(texts, settings)

    def test_single_angle(self):
        self.check({10: "40"}, {"view": 1}, angle=37.5)
        self.check({10: "40"}, {"model": "circuit", "view": 4}, angle=95)


class ArraysAreTheEnginesMemory(unittest.TestCase):
    def test_views_share_the_records_and_keep_the_result(self):
        r = bldc_emu.Scenario().run()
        record = 64
        address = r.address
        for array, offset in [(r.time, 0), (r.angle, 4), (r.switches, 8), (r.phase_v, 32),
                              (r.vbatt, 44), (r.vzero, 48), (r.drive, 52)]:
            self.assertIs(array.base, r)
            self.assertEqual(array.__array_interface__["data"][0], address + offset)
            self.assertEqual(array.strides[0], record)
            self.assertFalse(array.flags.writeable)
            with self.assertRaises(ValueError):
                array[0] = 1
        self.assertTrue(np.shares_memory(r.samples, r.vzero))
        s = bldc_emu.Scenario()
        s.model = "circuit"
        c = s.run()
        self.assertIs(c.currents.base, c)
        self.assertEqual(c.ibatt.__array_interface__["data"][0],
                         c.currents.__array_interface__["data"][0] + 12)
        self.assertEqual((c.currents.strides, c.currents.flags.writeable), ((16, 4), False))
        self.assertEqual(r.samples["VZero"].tobytes(), r.vzero.tobytes())
        channel = next(iter(r.channels().values()))
        self.assertIs(channel.base, r)
        self.assertFalse(channel.flags.writeable)
        # The arrays outlive the name: the result stays until the last view goes.
        angle, expected = r.angle, r.angle.copy()
        del r
        gc.collect()
        bldc_emu.Scenario().run_angle(10)  # reuses freed memory if the samples were freed
        self.assertTrue(np.array_equal(angle, expected))


if __name__ == "__main__":
    unittest.main()
