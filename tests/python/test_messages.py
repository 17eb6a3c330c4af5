"""Each bad input gets the command line's message: warnings for texts a box reads in part,
exceptions for strict entry, refused runs and bad files; the sweep's rows are its rows."""

import json
import os
import pickle
import tempfile
import threading
import unittest
import warnings

import bldc_emu
from support import cli


def cli_messages(*args):
    """bldc-emu's lines on standard error, without the program's prefix."""
    _, err, status = cli(*args, check=False)
    return [line.removeprefix("bldc-emu: ") for line in err.splitlines()], status


class MessagesAreTheCommandLines(unittest.TestCase):
    def test_texts_read_in_part_warn_or_are_refused(self):
        edits = [(6, "4k"), (2, "abc"), (3, "1e99999"), (4, "99999999999999999999999999999999999999999")]
        expected, _ = cli_messages(*[f"--set={t}={x}" for t, x in edits], "--summary")
        s = bldc_emu.Scenario()
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            for tag, text in edits:
                s.set(tag, text)
        expected = [line for line in expected if line.startswith("warning: ")]
        self.assertEqual(["warning: " + str(w.message) for w in caught], expected)
        self.assertTrue(all(w.category is bldc_emu.EntryWarning for w in caught))
        self.assertEqual(s.text(6), "4.0")  # the box read "4", as the window's would

        refused, status = cli_messages("--strict", "--set", "6=4k")
        strict = bldc_emu.Scenario(strict=True)
        with self.assertRaises(bldc_emu.EntryError) as raised:
            strict.set(6, "4k")
        self.assertEqual([str(raised.exception)], refused)
        self.assertEqual((status, strict.text(6)), (2, "4000.0"))  # nothing changed

    def test_refused_runs_raise_run_error(self):
        for tag, text in [(6, "0"), (3, "0"), (1, "0"), (3, "1")]:
            expected, status = cli_messages(f"--set={tag}={text}")
            s = bldc_emu.Scenario()
            s.set(tag, text)
            with self.assertRaises(bldc_emu.RunError) as raised:
                s.run()
            self.assertEqual([str(raised.exception)], expected)
            self.assertEqual(status, 1)

    def test_bad_files(self):
        with tempfile.TemporaryDirectory() as folder:
            bad = os.path.join(folder, "bad.scenario")
            with open(bad, "w") as f:
                f.write("[scenario]\nformat = 1\n")
            for path in [bad, os.path.join(folder, "missing"), folder]:
                expected, _ = cli_messages("--load", path)
                with self.assertRaises(bldc_emu.ScenarioError) as raised:
                    bldc_emu.Scenario.load(path)
                self.assertEqual([str(raised.exception)], expected)
            expected, _ = cli_messages("--save", os.path.join(folder, "no", "such"))
            with self.assertRaises(bldc_emu.FileWriteError) as raised:
                bldc_emu.Scenario().save(os.path.join(folder, "no", "such"))
            self.assertEqual([str(raised.exception)], expected)

    def test_values_out_of_range(self):
        s = bldc_emu.Scenario()
        r = s.run()
        for call, expected in [
            (lambda: s.duty_scale(11), "bad value 11 for duty_scale: expected a track bar "
                                       "position from 0 to 10"),
            (lambda: s.set(11, "1"), "bad value 11 for the box tag: expected a box tag from 1 "
                                     "to 10"),
            (lambda: r.zc(sampling="half"), "bad value 'half' for sampling: expected on, off "
                                            "or all"),
            (lambda: r.zc(view=5), "bad value 5 for view: expected a view from 0 to 4"),
            (lambda: r.zc(view=4), "view 4: There are no currents: the quasi-static model has "
                                   "none (choose the circuit model)"),
            (lambda: setattr(s, "inductance_uh", -1), "bad value -1.0 for inductance_uh: "
                                                       "expected microhenries from 0 to 10000.0"),
            (lambda: bldc_emu.sweep("6=1:0:1"), None),
        ]:
            with self.assertRaises(ValueError) as raised:
                call()
            if expected:
                self.assertEqual(str(raised.exception), expected)
        self.assertIn("for sweep: expected", str(raised.exception))


class ScenarioFilesAndSweeps(unittest.TestCase):
    def test_saved_and_pickled_scenarios_run_the_same(self):
        s = bldc_emu.Scenario()
        s.set(10, "47")
        s.duty_scale(3)
        s.current_scale(4)
        s.pattern, s.view, s.low_side_pwm = 180, 2, True
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "a.scenario")
            s.save(path)
            loaded = bldc_emu.Scenario.load(path)
            saved_by_cli = os.path.join(folder, "b.scenario")
            cli("--load", path, "--save", saved_by_cli)
            with open(saved_by_cli) as f:
                self.assertEqual(f.read(), s.scenario_text())
        self.assertEqual(loaded.texts, s.texts)
        copy = pickle.loads(pickle.dumps(s))
        self.assertEqual(copy, s)
        self.assertEqual(copy.run().log_bytes(), s.run().log_bytes())

    def test_sweep_prints_the_command_lines_table(self):
        circuit = bldc_emu.Scenario()
        circuit.model = "circuit"
        for swept, options, scenario, kwargs in [
                ("10=10:100:15", ["--zc"], None, {"zc": True}),
                ("6=0:2000:1000", [], None, {}),
                ("8=0:30:7.5", ["--view", "3", "--zc", "--zc-blanking", "5"], None,
                 {"view": 3, "zc": True, "blanking": 5}),
                ("inductance=10:90:40", ["--model", "circuit", "--zc"], circuit, {"zc": True})]:
            table = bldc_emu.sweep(swept, scenario, **kwargs, jobs=2)
            for fmt in ["csv", "tsv"]:
                out, _, _ = cli(*options, "--sweep", swept, "--format", fmt, check=False)
                self.assertEqual(table.text(fmt).encode(), out, f"{swept} {fmt}")
            out, _, _ = cli(*options, "--sweep", swept, "--format", "json", check=False)
            self.assertEqual(json.loads(table.text("json")), json.loads(out)["sweep"])
        self.assertEqual(len(table.to_pandas()), len(table))

    def test_runs_release_the_gil(self):
        s = bldc_emu.Scenario()
        s.set(3, "30")  # a slow motor: a run of some 400,000 steps
        worker = threading.Thread(target=s.run, kwargs={"threads": 1})
        spins = 0
        worker.start()
        while worker.is_alive():
            spins += 1
        worker.join()
        self.assertGreater(spins, 10000)  # the main thread ran while the run went on


class StubsNameTheModule(unittest.TestCase):
    def test_every_public_name_has_a_stub(self):
        import ast
        stub = os.path.join(os.path.dirname(bldc_emu.__file__), "_core.pyi")
        with open(stub) as f:
            tree = ast.parse(f.read())
        stubbed = {}
        for node in tree.body:
            if isinstance(node, ast.ClassDef):
                stubbed[node.name] = {n.target.id if isinstance(n, ast.AnnAssign) else n.name
                                      for n in node.body
                                      if isinstance(n, (ast.FunctionDef, ast.AnnAssign))}
            elif isinstance(node, ast.FunctionDef):
                stubbed[node.name] = set()
        for name in dir(bldc_emu._core):
            item = getattr(bldc_emu._core, name)
            if name.startswith("__") or not callable(item):
                continue
            self.assertIn(name, stubbed)
            if isinstance(item, type) and not issubclass(item, BaseException):
                members = {m for m in vars(item) if not m.startswith("_")}
                self.assertEqual(members - stubbed[name], set(), name)


if __name__ == "__main__":
    unittest.main()
